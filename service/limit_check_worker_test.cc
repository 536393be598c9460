#include "service/limit_check_worker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/settings/settings.h"
#include "platform/fakes/memory_store.h"
#include "platform/silent_pipe_client.h"
#include "service/worker_table.h"
#include "service/worker_test_util.h"

namespace quillon {
namespace {

// Records the cycles it is asked to run; signals `cycled` after each.
class RecordingCycles : public LimitCheckCycles {
 public:
  void Cycle(CycleReason reason) override {
    {
      std::lock_guard<std::mutex> lock(mu);
      log.push_back(std::to_string(static_cast<int>(reason)));
    }
    cycled.Set();
  }
  void OnPartsChanged(const char* request, size_t size, char reply[kPipeRecordSize]) override {
    {
      std::lock_guard<std::mutex> lock(mu);
      log.push_back("1:" + std::string(request, size));
    }
    std::memset(reply, 0, kPipeRecordSize);
    std::strcpy(reply, "Heared.");
    cycled.Set();
  }
  std::vector<std::string> Log() {
    std::lock_guard<std::mutex> lock(mu);
    return log;
  }
  std::mutex mu;
  std::vector<std::string> log;
  Event cycled;
};

class FastWorker : public LimitCheckWorker {
 public:
  using LimitCheckWorker::LimitCheckWorker;
  uint32_t interval_ms = kWaitInfinite - 1;

 protected:
  uint32_t IntervalMs() override { return interval_ms; }
};

TEST(CheckIntervalTest, ZeroCountsAsUnsetAndHugeValuesAreCapped) {
  EXPECT_EQ(CheckIntervalMs(0), 3600000u);
  EXPECT_EQ(CheckIntervalMs(60), 3600000u);
  EXPECT_EQ(CheckIntervalMs(1), 60000u);
  EXPECT_EQ(CheckIntervalMs(71582), 4294920000u);
  EXPECT_EQ(CheckIntervalMs(71583), 0xFFFFFFFEu);
  EXPECT_EQ(CheckIntervalMs(0xFFFFFFFFu), 0xFFFFFFFEu);
  MemoryStore store;
  EXPECT_EQ(ReadCheckIntervalMs(&store), 3600000u);
}

class LimitCheckWorkerTest : public ::testing::Test {
 protected:
  LimitCheckWorkerTest()
      : stop_(std::make_shared<Event>()),
        cycles_(std::make_shared<RecordingCycles>()),
        worker_(
            std::make_shared<FastWorker>(&f_.trace, &store_, Language::kEnglish, stop_, cycles_)),
        table_(&f_.trace, std::make_shared<Event>()) {
    table_.SetStopEvent(0, stop_);
    table_.SetWorker(0, worker_);
  }

  // Waits until the worker's pipe exists by asking it with a zero-flag message.
  std::string Send(const std::string& message, uint32_t bound_ms = kTestBoundMs) {
    char reply[kPipeRecordSize + 1] = {};
    size_t got = 0;
    Status s = CallPipeTimed(kPartsChangePipeName, message.data(), message.size(), reply,
                             sizeof reply, &got, bound_ms);
    return s == kOk ? std::to_string(got) + ":" + reply : "fail " + std::to_string(s);
  }

  void WaitForCycles(size_t n) {
    while (cycles_->Log().size() < n) {
      ASSERT_EQ(WaitOne(cycles_->cycled.waitable(), kTestBoundMs), 0);
      cycles_->cycled.Reset();
    }
  }

  TraceFixture f_;
  MemoryStore store_;
  std::shared_ptr<Event> stop_;
  std::shared_ptr<RecordingCycles> cycles_;
  std::shared_ptr<FastWorker> worker_;
  WorkerTable table_;
};

TEST_F(LimitCheckWorkerTest, StartCycleThenOneCyclePerMessage) {
  ASSERT_TRUE(table_.StartWorker(0, WorkerTable::Origin::kServiceStart));
  WaitForCycles(1);
  const std::string flags = std::string("10000000000000000000000") + '\0';
  EXPECT_EQ(Send(flags), "128:Heared.");
  EXPECT_EQ(Send("11111"), "128:Heared.");
  EXPECT_EQ(Send(""), "128:Heared.");  // a failed read is still answered
  EXPECT_FALSE(table_.StopWorker(0));
  std::vector<std::string> expected = {"0", "1:" + flags, "1:11111", "1:"};
  EXPECT_EQ(cycles_->Log(), expected);
  auto lines = f_.sink.messages();
  EXPECT_EQ(f_.sink.Count("Enter [LimitCheck]Running loop."), 1);
  EXPECT_EQ(lines.back(), "Threads 1/1 terminate success.");
  EXPECT_EQ(f_.sink.Count("Exit [LimitCheck]Running loop."), 1);
  // The pipe went with the thread.
  EXPECT_EQ(Send("1"), "fail " + std::to_string(kErrorNotFound));
}

TEST_F(LimitCheckWorkerTest, SilentClientsDoNotHoldUpAPartsChangedMessage) {
  ASSERT_TRUE(table_.StartWorker(0, WorkerTable::Origin::kServiceStart));
  // The pipe is there once the start cycle has run.
  WaitForCycles(1);
  std::vector<std::unique_ptr<SilentPipeClient>> silent;
  for (int i = 0; i < SilentPipeClient::ConnectedAtOnce(); ++i) {
    silent.push_back(SilentPipeClient::Connect(kPartsChangePipeName));
    ASSERT_NE(silent.back(), nullptr);
  }
  EXPECT_EQ(Send("01", kBehindSilentBoundMs), "128:Heared.");
  EXPECT_FALSE(table_.StopWorker(0));
  // The message ran its cycle; the silent clients were let go with the pipe. A silent client
  // whose request time ran out before the message came (the one a single-instance Windows pipe
  // holds) ran a cycle with nothing flagged, as any failed read does.
  const std::vector<std::string> log = cycles_->Log();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log.front(), "0");
  EXPECT_EQ(log.back(), "1:01");
  EXPECT_LE(log.size() - 2, silent.size());
  for (size_t i = 1; i + 1 < log.size(); ++i) EXPECT_EQ(log[i], "1:") << i;
  for (const auto& client : silent) EXPECT_TRUE(client->WaitUntilLetGo());
}

TEST_F(LimitCheckWorkerTest, IntervalCyclesWhenNoMessageComes) {
  worker_->interval_ms = 1;
  ASSERT_TRUE(table_.StartWorker(0, WorkerTable::Origin::kServiceStart));
  WaitForCycles(3);
  EXPECT_FALSE(table_.StopWorker(0));
  auto log = cycles_->Log();
  EXPECT_EQ(log[0], "0");
  EXPECT_EQ(log[1], "2");
  EXPECT_EQ(log[2], "2");
}

TEST_F(LimitCheckWorkerTest, RestartRunsANewStartCycleOnTheSameWorker) {
  ASSERT_TRUE(table_.StartWorker(0, WorkerTable::Origin::kServiceStart));
  WaitForCycles(1);
  EXPECT_FALSE(table_.StopWorker(0));
  ASSERT_TRUE(table_.StartWorker(0, WorkerTable::Origin::kCommand));
  WaitForCycles(2);
  EXPECT_EQ(Send("0"), "128:Heared.");
  EXPECT_FALSE(table_.StopWorker(0));
  std::vector<std::string> expected = {"0", "0", "1:0"};
  EXPECT_EQ(cycles_->Log(), expected);
}

}  // namespace
}  // namespace quillon
