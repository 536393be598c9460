#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "platform/pipe.h"
#include "platform/silent_pipe_client.h"
#include "tests/common/service_sandbox.h"

namespace quillon {
namespace {

constexpr uint32_t kBoundMs = 20000;  // only a hung service ever makes a test wait this long
constexpr size_t kRecordSize = 128;   // every reply on both pipes

std::string Z(const std::string& text) { return text + std::string(1, '\0'); }

class PipeSystemTest : public ::testing::Test {
 protected:
  void StartService() {
    const int before = box_.TraceCount("Service Running loop start.");
    ASSERT_TRUE(box_.Start());
    ASSERT_TRUE(box_.WaitForTrace("Service Running loop start.", before + 1, kBoundMs))
        << box_.Trace();
  }
  void StopService() {
    size_t n = 0;
    box_.Call("ORNA_PIPE", Z("X9"), &n);
    EXPECT_EQ(box_.WaitExit(kBoundMs), 0);
  }
  ServiceSandbox box_;
};

TEST_F(PipeSystemTest, CommandRequestsRepliesAndTraceLines) {
  StartService();
  size_t n = 0;
  EXPECT_EQ(box_.Call("ORNA_PIPE", Z("02"), &n), "Heared [02]:1");
  EXPECT_EQ(n, 128u);
  EXPECT_EQ(box_.Call("ORNA_PIPE", Z("01"), &n), "Heared [01]");
  EXPECT_EQ(box_.TraceCount("Thread 1 is already running."), 1);
  EXPECT_EQ(box_.Call("ORNA_PIPE", Z("00"), &n), "Heared [00]");
  EXPECT_EQ(box_.TraceCount("Threads 1/1 terminate success."), 1);
  EXPECT_EQ(box_.Call("ORNA_PIPE", Z("02"), &n), "Heared [02]:0");
  EXPECT_EQ(box_.Call("ORNA_PIPE", Z("00"), &n), "Heared [00]");
  EXPECT_EQ(box_.TraceCount("Thread 1 is already stopping."), 1);
  // With the worker stopped its pipe is gone.
  EXPECT_EQ(box_.Call("ORNAPartsChange", Z("0"), &n), "fail 2");
  EXPECT_EQ(box_.Call("ORNA_PIPE", Z("x7"), &n), "Heared [x7]");
  EXPECT_EQ(box_.TraceCount("CreateHandle 1/1 Success."), 2);
  EXPECT_TRUE(box_.WaitForTrace("Enter [LimitCheck]Running loop.", 2, kBoundMs));
  EXPECT_EQ(box_.Call("ORNA_PIPE", Z("y8"), &n), "Heared [y8]");
  EXPECT_EQ(box_.Call("ORNA_PIPE", Z("01"), &n), "Heared [01]");
  EXPECT_EQ(box_.Call("ORNA_PIPE", Z("02"), &n), "Heared [02]:1");

  // Too long for the echoed reply, and without a terminating zero: the reply keeps to its
  // record and the service carries on.
  std::string long_request(300, 'L');
  long_request[1] = '2';
  std::string reply = box_.Call("ORNA_PIPE", long_request, &n);
  EXPECT_EQ(n, 128u);
  const std::string full = "Heared [L2" + std::string(126, 'L') + "]:1";
  EXPECT_EQ(reply, full.substr(0, 127));
  EXPECT_EQ(box_.Call("ORNA_PIPE", "02", &n), "Heared [02]:1");

  StopService();
  EXPECT_EQ(box_.TraceCount("Service command terminate."), 1);
  EXPECT_EQ(box_.TraceCount("Service Running loop end."), 1);
  EXPECT_EQ(box_.TraceCount("All threads 1/1 terminate success."), 1);
  EXPECT_EQ(box_.TraceCount("Exit [LimitCheck]Running loop."), 3);
}

TEST_F(PipeSystemTest, StopAfterTheWorkerWasStoppedByCommandAndByInterrupt) {
  StartService();
  size_t n = 0;
  EXPECT_EQ(box_.Call("ORNA_PIPE", Z("00"), &n), "Heared [00]");
  StopService();
  EXPECT_EQ(box_.TraceCount("All threads 1/1 terminate success."), 1);

  // Ctrl-C in the console stops the service the same way.
  StartService();
  box_.Signal(SIGINT);
  EXPECT_EQ(box_.WaitExit(kBoundMs), 0);
  EXPECT_EQ(box_.TraceCount("All threads 1/1 terminate success."), 2);
}

TEST_F(PipeSystemTest, PartsChangedMessagesAndNotices) {
  Store* store = box_.store();
  box_.InstallRecordingNotifier("TALVENMS");
  box_.InstallRecordingNotifier("TALVENMI");
  const uint32_t method[2] = {0, 1};  // screen notices on
  WriteNotifyMethod(store, method);
  uint32_t current[3] = {1000, 0, 950};
  for (int kind = 0; kind < 3; ++kind) WriteCurrent(store, current, kind);
  WriteLimit(store, 1000, kCpuFan);
  WriteLimit(store, 1000, kCaisFan);
  const uint32_t lead = 100;
  RegCtlWriteValue(store, kLimitPreKey, "CAIS_FAN", 4, &lead, sizeof lead);
  WriteNotifyDonePreStop(store, 1, 0);

  StartService();
  // The start cycle: a pre-warning for the housing fans (item 19) and a limit notice for the
  // CPU fan, each through TALVENMS since no start-up program is recorded.
  ASSERT_TRUE(
      box_.WaitFor([&] { return box_.Calls().find("exceeded") != std::string::npos; }, kBoundMs))
      << box_.Calls();
  std::string calls = box_.Calls();
  EXPECT_NE(calls.find("TALVENMS<It is 50 hours (about 2 days) till the operating life time of "
                       "FAN (housing fan).\n"),
            std::string::npos)
      << calls;
  EXPECT_NE(calls.find("<19>\n"), std::string::npos) << calls;
  EXPECT_NE(calls.find("TALVENMS<CPU FAN exceeded the operating life.\n"), std::string::npos)
      << calls;
  // The flag is written after the notice has been given.
  auto cpu_fan_flag = [store] {
    uint32_t flag = 0;
    char date[16] = {};
    ReadNotifyDone(store, &flag, date, 0);
    return flag;
  };
  EXPECT_TRUE(box_.WaitFor([&] { return cpu_fan_flag() == 1; }, kBoundMs));

  size_t n = 0;
  // 24 bytes as the administration program sends them: the CPU fan was "replaced" but its
  // counter still stands at the limit, so its first notice comes again at once.
  std::string flags = "10000000000000000000000";
  EXPECT_EQ(box_.Call("ORNAPartsChange", Z(flags), &n), "Heared.");
  EXPECT_EQ(n, 128u);
  uint32_t stop = 1;
  ReadNotifyDonePreStop(store, &stop, 0);
  EXPECT_EQ(stop, 0u);
  calls = box_.Calls();
  size_t first = calls.find("CPU FAN exceeded");
  EXPECT_NE(calls.find("CPU FAN exceeded", first + 1), std::string::npos) << calls;
  // 20 bytes, 5 bytes and an empty message: all answered.
  EXPECT_EQ(box_.Call("ORNAPartsChange", std::string(20, '0'), &n), "Heared.");
  EXPECT_EQ(box_.Call("ORNAPartsChange", "00000", &n), "Heared.");
  EXPECT_EQ(box_.Call("ORNAPartsChange", "", &n), "Heared.");
  StopService();
}

TEST_F(PipeSystemTest, SilentClientsHoldUpNoOne) {
  StartService();
  struct Case {
    const char* pipe;
    std::string request;
    const char* reply;
  };
  const Case cases[] = {{"ORNA_PIPE", Z("02"), "Heared [02]:1"},
                        {"ORNAPartsChange", Z(std::string(23, '0')), "Heared."}};
  // The worker's pipe exists once its loop is entered, which may be just after the command
  // loop starts.
  ASSERT_TRUE(box_.WaitForTrace("Enter [LimitCheck]Running loop.", 1, kBoundMs)) << box_.Trace();
  std::vector<std::unique_ptr<SilentPipeClient>> silent;
  for (const Case& c : cases) {
    for (int i = 0; i < 10; ++i) {
      silent.push_back(SilentPipeClient::Connect(c.pipe));
      ASSERT_NE(silent.back(), nullptr);
    }
    // Bounded well past the time ten silent clients once cost (5 s each), so the figure can
    // be measured either way.
    char reply[kRecordSize + 1] = {};
    size_t n = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(
        CallPipeTimed(c.pipe, c.request.data(), c.request.size(), reply, kRecordSize, &n, 90000),
        kOk);
    const auto delay = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    EXPECT_EQ(n, kRecordSize);
    EXPECT_STREQ(reply, c.reply);
    std::printf("%s: reply behind 10 silent clients after %lld ms\n", c.pipe,
                static_cast<long long>(delay.count()));
  }
  // A stop is served at once while the silent clients are still connected.
  const auto start = std::chrono::steady_clock::now();
  StopService();
  std::printf("stop with 20 silent clients connected took %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start)
                                         .count()));
}

}  // namespace
}  // namespace quillon
