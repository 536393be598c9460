#include "service/command_loop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "common/log/event_report.h"
#include "platform/silent_pipe_client.h"
#include "service/worker_test_util.h"

namespace quillon {
namespace {

class CommandLoopTest : public ::testing::Test {
 protected:
  CommandLoopTest()
      : terminate_(std::make_shared<Event>()),
        stop_(std::make_shared<Event>()),
        table_(&f_.trace, terminate_),
        loop_(&f_.trace, &events_, Language::kEnglish, &table_, terminate_.get()) {
    worker_ = std::make_shared<WaitingWorker>(&f_.trace, stop_);
    table_.SetStopEvent(0, stop_);
    table_.SetWorker(0, worker_);
  }
  ~CommandLoopTest() override { table_.StopForShutdown(0); }

  std::string Ask(const std::string& request) {
    char reply[kPipeRecordSize];
    // The administration program sends the text with its terminating zero.
    loop_.Serve(request.c_str(), request.size() + 1, reply);
    return reply;
  }

  TraceFixture f_;
  RecordingEventLog events_;
  std::shared_ptr<Event> terminate_;
  std::shared_ptr<Event> stop_;
  WorkerTable table_;
  CommandLoop loop_;
  std::shared_ptr<WaitingWorker> worker_;
};

TEST_F(CommandLoopTest, RequestTable) {
  ASSERT_TRUE(table_.StartWorker(0, WorkerTable::Origin::kServiceStart));
  EXPECT_EQ(Ask("02"), "Heared [02]:1");
  EXPECT_EQ(Ask("01"), "Heared [01]");
  EXPECT_EQ(f_.sink.Count("Thread 1 is already running."), 1);
  EXPECT_EQ(Ask("00"), "Heared [00]");
  EXPECT_EQ(f_.sink.Count("Threads 1/1 terminate success."), 1);
  EXPECT_EQ(Ask("02"), "Heared [02]:0");
  EXPECT_EQ(Ask("00"), "Heared [00]");
  EXPECT_EQ(f_.sink.Count("Thread 1 is already stopping."), 1);
  // "7" and "8" act on worker 0 whatever character 0 holds.
  EXPECT_EQ(Ask("Z7"), "Heared [Z7]");
  EXPECT_TRUE(table_.thread_recorded(0));
  EXPECT_EQ(Ask("Q8"), "Heared [Q8]");
  EXPECT_FALSE(table_.thread_recorded(0));
  EXPECT_EQ(Ask("01"), "Heared [01]");
  EXPECT_EQ(f_.sink.Count("CreateHandle 1/1 Success."), 3);
  // Another index: answered, nothing done.
  EXPECT_EQ(Ask("32"), "Heared [32]:0");
  EXPECT_EQ(Ask("30"), "Heared [30]");
  EXPECT_TRUE(table_.thread_recorded(0));
  EXPECT_FALSE(terminate_->IsSet());
}

TEST_F(CommandLoopTest, AnythingElseStopsTheService) {
  for (const char* request : {"05", "X9", "0", ""}) {
    terminate_->Reset();
    char reply[kPipeRecordSize];
    std::memset(reply, 'z', sizeof reply);
    EXPECT_EQ(loop_.Serve(request, std::strlen(request) + 1, reply), Command::kStopService);
    EXPECT_TRUE(terminate_->IsSet()) << request;
    EXPECT_EQ(reply[0], 0);
  }
  // A read that brought nothing is no request at all.
  terminate_->Reset();
  char reply[kPipeRecordSize];
  EXPECT_EQ(loop_.Serve("05", 0, reply), Command::kNone);
  EXPECT_FALSE(terminate_->IsSet());
}

TEST_F(CommandLoopTest, LongOrUnterminatedRequestStaysInsideItsRecords) {
  // 128 bytes without a zero, followed in memory by bytes that must not be read.
  std::string request(kPipeRecordSize, 'A');
  request[1] = '2';
  request += "SECRET";
  char reply[kPipeRecordSize + 8];
  std::memset(reply, 'z', sizeof reply);
  loop_.Serve(request.data(), kPipeRecordSize, reply);
  EXPECT_EQ(reply[kPipeRecordSize - 1], 0);
  EXPECT_EQ(reply[kPipeRecordSize], 'z');  // nothing written past the record
  std::string text(reply);
  EXPECT_EQ(text.size(), kPipeRecordSize - 1);
  EXPECT_EQ(text.rfind("Heared [A2AAAA", 0), 0u);
  EXPECT_EQ(text.find("SECRET"), std::string::npos);
  // Short and unterminated: only the bytes received count.
  loop_.Serve("02garbage", 2, reply);
  EXPECT_STREQ(reply, "Heared [02]:0");
}

TEST_F(CommandLoopTest, RunServesThePipeUntilStoppedAndStopsTheWorker) {
  ASSERT_TRUE(table_.StartWorker(0, WorkerTable::Origin::kServiceStart));
  Status status;
  auto pipe = PipeServer::Create(kCommandPipeName, &status);
  ASSERT_NE(pipe, nullptr);
  auto running = std::async(std::launch::async, [&] { loop_.Run(pipe.get()); });
  auto call = [](const std::string& text, std::string* reply_text) {
    char reply[kPipeRecordSize + 1] = {};
    size_t got = 0;
    Status s = CallPipeTimed(kCommandPipeName, text.c_str(), text.size() + 1, reply, sizeof reply,
                             &got, kTestBoundMs);
    *reply_text = reply;
    return s == kOk ? got : 0;
  };
  std::string reply;
  EXPECT_EQ(call("02", &reply), kPipeRecordSize);
  EXPECT_EQ(reply, "Heared [02]:1");
  EXPECT_EQ(call("X9", &reply), kPipeRecordSize);
  ASSERT_EQ(running.wait_for(std::chrono::milliseconds(kTestBoundMs)), std::future_status::ready);
  auto lines = f_.sink.messages();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[lines.size() - 4], "Service Running loop start.");
  EXPECT_EQ(lines[lines.size() - 3], "Service command terminate.");
  EXPECT_EQ(lines[lines.size() - 2], "Service Running loop end.");
  EXPECT_EQ(lines[lines.size() - 1], "All threads 1/1 terminate success.");
  EXPECT_EQ(events_.Count(kEventSuspended), 1);
}

TEST_F(CommandLoopTest, SilentClientsHoldUpNeitherARequestNorTheStop) {
  ASSERT_TRUE(table_.StartWorker(0, WorkerTable::Origin::kServiceStart));
  auto pipe = PipeServer::Create(kCommandPipeName, nullptr);
  ASSERT_NE(pipe, nullptr);
  auto running = std::async(std::launch::async, [&] { loop_.Run(pipe.get()); });
  // As many as the server can have connected at once: on Windows, one, which holds the
  // request until the server gives it up.
  const int silent_count = SilentPipeClient::ConnectedAtOnce();
  std::vector<std::unique_ptr<SilentPipeClient>> silent;
  for (int i = 0; i < silent_count; ++i) {
    silent.push_back(SilentPipeClient::Connect(kCommandPipeName));
    ASSERT_NE(silent.back(), nullptr);
  }
  char reply[kPipeRecordSize + 1] = {};
  size_t got = 0;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(
      CallPipeTimed(kCommandPipeName, "02", 3, reply, sizeof reply, &got, kBehindSilentBoundMs),
      kOk);
  std::printf("\"02\" behind %d silent clients answered after %lld ms\n", silent_count,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start)
                                         .count()));
  EXPECT_EQ(got, kPipeRecordSize);
  EXPECT_STREQ(reply, "Heared [02]:1");
  // The stop request ends the loop while they are all still connected, and they are let go.
  terminate_->Set();
  ASSERT_EQ(running.wait_for(std::chrono::milliseconds(kTestBoundMs)), std::future_status::ready);
  EXPECT_EQ(f_.sink.Count("All threads 1/1 terminate success."), 1);
  pipe.reset();
  for (const auto& client : silent) EXPECT_TRUE(client->WaitUntilLetGo());
}

TEST_F(CommandLoopTest, ShutdownWaitRunningOutIsTraced) {
  worker_->hold = true;
  ASSERT_TRUE(table_.StartWorker(0, WorkerTable::Origin::kServiceStart));
  ASSERT_EQ(WaitOne(worker_->entered.waitable(), kTestBoundMs), 0);
  EXPECT_FALSE(table_.StopForShutdown(0, 1));
  worker_->release.Set();
}

}  // namespace
}  // namespace quillon
