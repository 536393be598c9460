#include "service/talven_service.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "common/log/event_report.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/memory_store.h"
#include "service/worker_test_util.h"

namespace quillon {
namespace {

class RecordingStatusSink : public ServiceStatusSink {
 public:
  bool SetStatus(ServiceState state, uint32_t, uint32_t) override {
    std::lock_guard<std::mutex> lock(mu_);
    states.push_back(state);
    return fail_from < 0 || static_cast<int>(states.size()) <= fail_from;
  }
  std::vector<ServiceState> states;
  int fail_from = -1;  // reports after this many fail

 private:
  std::mutex mu_;
};

class NullCycles : public LimitCheckCycles {
 public:
  void Cycle(CycleReason) override { cycled.Set(); }
  void OnPartsChanged(const char*, size_t, char reply[kPipeRecordSize]) override {
    std::memset(reply, 0, kPipeRecordSize);
    std::strcpy(reply, "Heared.");
  }
  Event cycled;
};

class TalvenServiceTest : public ::testing::Test {
 protected:
  TalvenServiceTest() {
    env_.store = &store_;
    env_.system = &f_.system;
    env_.clock = &clock_;
    env_.trace = &f_.trace;
    env_.event_log = &events_;
    env_.launcher = &launcher_;
    service_ = std::make_unique<TalvenService>(env_);
    service_->set_status_sink(&sink_);
    service_->set_cycles_factory([this](TalvenService*) { return cycles_; });
  }

  std::string Call(const std::string& text) {
    char reply[kPipeRecordSize + 1] = {};
    size_t got = 0;
    Status s = CallPipeTimed(kCommandPipeName, text.c_str(), text.size() + 1, reply, sizeof reply,
                             &got, kTestBoundMs);
    return s == kOk ? std::string(reply) : "fail " + std::to_string(s);
  }

  TraceFixture f_;
  MemoryStore store_;
  FakeClock clock_;
  RecordingEventLog events_;
  RecordingProcessLauncher launcher_;
  RecordingStatusSink sink_;
  ServiceEnv env_;
  std::shared_ptr<NullCycles> cycles_ = std::make_shared<NullCycles>();
  std::unique_ptr<TalvenService> service_;
};

TEST_F(TalvenServiceTest, RunsServesAndStopsInOrder) {
  service_->set_hardware_step([&](TalvenService* s) {
    s->set_kori_result(5010, kOk);
    f_.trace.Trace("hardware step");
  });
  auto run = std::async(std::launch::async, [&] { return service_->Run(); });
  ASSERT_EQ(WaitOne(cycles_->cycled.waitable(), kTestBoundMs), 0);
  // The worker's pipe exists once its start cycle has run; the command pipe a moment later,
  // so the first call may have to wait in the queue or retry while it is being created.
  std::string reply;
  for (int i = 0; i < 1000; ++i) {
    reply = Call("02");
    if (reply.rfind("fail", 0) != 0) break;
    WaitOne(Event().waitable(), 1);
  }
  EXPECT_EQ(reply, "Heared [02]:1");
  EXPECT_EQ(Call("00"), "Heared [00]");
  EXPECT_EQ(Call("02"), "Heared [02]:0");
  EXPECT_EQ(Call("X9"), "");
  ASSERT_EQ(run.wait_for(std::chrono::milliseconds(kTestBoundMs)), std::future_status::ready);
  EXPECT_EQ(run.get(), 0u);
  EXPECT_EQ(service_->kori_operating_hours(), 5010u);

  std::vector<std::string> expected = {
      "*** TALVEN SERVICE START ***",       "hardware step",
      "CreateHandle 1/1 Success.",          "Service Running loop start.",
      "Exit [LimitCheck]Running loop.",     "Threads 1/1 terminate success.",
      "Service command terminate.",         "Service Running loop end.",
      "All threads 1/1 terminate success.",
  };
  // The worker's first line races the main thread's; everything else has one order.
  std::vector<std::string> lines = f_.sink.messages();
  std::erase(lines, "Enter [LimitCheck]Running loop.");
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(f_.sink.Count("Enter [LimitCheck]Running loop."), 1);
  EXPECT_EQ(events_.Count(kEventServiceStart), 1);
  EXPECT_EQ(events_.Count(kEventSuspended), 1);
  std::vector<ServiceState> states = {ServiceState::kStartPending, ServiceState::kRunning};
  EXPECT_EQ(sink_.states, states);
  // Everything is released: both pipes are gone.
  EXPECT_EQ(Call("02"), "fail " + std::to_string(kErrorNotFound));
}

TEST_F(TalvenServiceTest, StopRequestedWhileStartingStillStopsInOrder) {
  service_->Terminate();
  EXPECT_EQ(service_->Run(), 0u);
  EXPECT_EQ(f_.sink.Count("Service command terminate."), 1);
  EXPECT_EQ(f_.sink.Count("All threads 1/1 terminate success."), 1);
  EXPECT_EQ(events_.Count(kEventSuspended), 1);
}

TEST_F(TalvenServiceTest, StopDuringTheHardwareStepBuildsNoWorker) {
  int built = 0;
  service_->set_cycles_factory([&](TalvenService*) {
    ++built;
    return cycles_;
  });
  EXPECT_EQ(service_->terminate_waitable(), kInvalidWaitable);
  service_->set_hardware_step([&](TalvenService* s) {
    f_.trace.Trace("hardware step");
    // The stop control arrives; the step sees it on the event it waits on.
    s->Terminate();
    EXPECT_EQ(WaitOne(s->terminate_waitable(), 0), 0);
  });
  EXPECT_EQ(service_->Run(), 0u);
  EXPECT_EQ(built, 0);
  EXPECT_EQ(f_.sink.messages(),
            (std::vector<std::string>{"*** TALVEN SERVICE START ***", "hardware step",
                                      "Service command terminate.", "Service Running loop end.",
                                      "All threads 1/1 terminate success."}));
  EXPECT_EQ(events_.Count(kEventSuspended), 1);
  EXPECT_EQ(service_->terminate_waitable(), kInvalidWaitable);
}

TEST_F(TalvenServiceTest, FailuresAtStartEndTheRunEarly) {
  sink_.fail_from = 1;  // running cannot be reported
  EXPECT_EQ(service_->Run(), 0u);
  EXPECT_EQ(f_.sink.messages().size(), 0u);
  EXPECT_EQ(events_.events().size(), 0u);

  // No worker can be built: the service stops without serving.
  TalvenService second(env_);
  RecordingStatusSink ok_sink;
  second.set_status_sink(&ok_sink);
  second.set_cycles_factory([](TalvenService*) { return nullptr; });
  EXPECT_EQ(second.Run(), 0u);
  EXPECT_EQ(f_.sink.Count("CreateHandle 1/1 failed."), 1);
  EXPECT_EQ(f_.sink.Count("Service Running loop start."), 0);
}

// A start cycle that takes longer than the service is willing to wait at its stop.
class SlowCycles : public NullCycles {
 public:
  void Cycle(CycleReason) override {
    started.Set();
    WaitOne(release.waitable(), kTestBoundMs);
  }
  Event started;
  Event release;
};

TEST_F(TalvenServiceTest, WorkerOverrunningItsStopWaitOutlivesTheRelease) {
  auto slow = std::make_shared<SlowCycles>();
  std::weak_ptr<SlowCycles> watch = slow;
  service_->set_cycles_factory([slow](TalvenService*) { return slow; });
  service_->set_worker_stop_wait_ms(1);
  auto run = std::async(std::launch::async, [&] { return service_->Run(); });
  ASSERT_EQ(WaitOne(slow->started.waitable(), kTestBoundMs), 0);
  service_->Terminate();
  ASSERT_EQ(run.wait_for(std::chrono::milliseconds(kTestBoundMs)), std::future_status::ready);
  EXPECT_EQ(f_.sink.Count("Threads terminate time out 0 seconds"), 1);
  EXPECT_EQ(f_.sink.Count("All threads 1/1 terminate success."), 0);
  EXPECT_EQ(events_.Count(kEventSuspended), 0);
  slow.reset();
  // Released by the service, still alive for its thread.
  ASSERT_FALSE(watch.expired());
  watch.lock()->release.Set();
  // Destroying the service object waits for the thread to finish its cycle.
  service_.reset();
  EXPECT_EQ(f_.sink.Count("Exit [LimitCheck]Running loop."), 1);
}

}  // namespace
}  // namespace quillon
