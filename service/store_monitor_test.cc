#include "service/store_monitor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/log/event_report.h"
#include "common/log/trace_log.h"
#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "platform/fakes/failing_store.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"
#include "platform/fakes/recorders.h"
#include "platform/file_system.h"
#include "service/engine_cycles.h"
#include "service/service_env.h"

namespace quillon {
namespace {

constexpr char kPath[] = "/var/lib/quillon/registry.db";

class StoreMonitorTest : public ::testing::Test {
 protected:
  StoreMonitorTest() : failing_(&inner_), trace_(&system_, &sink_) {
    clock_.Set({2026, 12, 8, 10, 0, 0, 0});
    monitor_.set_status_line([this](const std::string& text) { status_lines_.push_back(text); });
  }

  MemoryStore inner_;
  FailingStore failing_;
  FakeClock clock_;
  FakeSystemInfo system_;
  RecordingTraceSink sink_;
  TraceLog trace_;
  RecordingEventLog events_;
  StoreMonitor monitor_{&failing_, kPath, &clock_, &trace_, &events_, Language::kEnglish};
  std::vector<std::string> status_lines_;
};

TEST_F(StoreMonitorTest, AFailedWriteIsTracedAndNamedInTheJournalOnceADayPerValue) {
  failing_.FailOn("set", "CPU_FAN", kErrorTimeout);
  EXPECT_EQ(WriteCurrentStop(&monitor_, 1, kCpuFan), kErrorTimeout);
  const std::string line =
      "Settings write SOFTWARE\\Morvath\\TALVEN\\LifeTime\\CurrentStop\\CPU_FAN failed (status "
      "1460): This operation returned because the timeout period expired.";
  EXPECT_EQ(sink_.Count(line), 1);
  ASSERT_EQ(events_.Count(kEventStoreWriteFailed), 1);
  const EventRecord event = events_.events()[0];
  EXPECT_EQ(event.type, kEventTypeError);
  EXPECT_NE(event.message.find("could not write a setting"), std::string::npos);
  EXPECT_NE(event.string2.find("CurrentStop\\CPU_FAN (status 1460"), std::string::npos);
  // Not retried: the store was asked once.
  EXPECT_EQ(failing_.failures(), 1);

  // The same value again that day: traced, not reported again; the next day it is.
  WriteCurrentStop(&monitor_, 1, kCpuFan);
  EXPECT_EQ(sink_.Count(line), 2);
  EXPECT_EQ(events_.Count(kEventStoreWriteFailed), 1);
  clock_.AdvanceHours(24);
  WriteCurrentStop(&monitor_, 1, kCpuFan);
  EXPECT_EQ(events_.Count(kEventStoreWriteFailed), 2);
}

TEST_F(StoreMonitorTest, AFailedPairNamesBothValuesAndWritesNeither) {
  failing_.FailOn("set", "UPS_DATE", kErrorWriteProtect);
  EXPECT_EQ(WriteNotifyDone(&monitor_, 1, "2026/12/08", kNotifyUps), kErrorWriteProtect);
  EXPECT_FALSE(inner_.HasValue(kNotifyDoneKey, "UPS"));
  EXPECT_EQ(events_.Count(kEventStoreWriteFailed), 2);
  const std::vector<std::string> lines = sink_.messages();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("NotifyDone\\UPS failed (status 19)"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("NotifyDone\\UPS_DATE failed (status 19)"), std::string::npos);
  // Successful writes and a delete of a missing value say nothing.
  failing_.set_rule(nullptr);
  EXPECT_EQ(WriteNotifyDone(&monitor_, 1, "2026/12/08", kNotifyUps), kOk);
  EXPECT_EQ(monitor_.DeleteValue("SOFTWARE", "Nothing"), kErrorNotFound);
  EXPECT_EQ(sink_.messages().size(), 2u);
}

// A store that keeps the text of its last failure, as the real one does.
class StoreWithCause : public MemoryStore {
 public:
  std::string LastError() override { return cause; }
  std::string cause;
};

// Callers hold the monitor as their Store and still need the cause for their message.
TEST_F(StoreMonitorTest, PassesOnTheWrappedStoresFailureText) {
  StoreWithCause store;
  StoreMonitor monitor(&store, kPath, &clock_, &trace_, &events_, Language::kEnglish);
  Store* as_store = &monitor;
  EXPECT_EQ(as_store->LastError(), "");
  store.cause = "database disk image is malformed";
  EXPECT_EQ(as_store->LastError(), "database disk image is malformed");
}

TEST_F(StoreMonitorTest, AnUnusableStoreIsReportedAtEveryCheckAndJournaledOnceADay) {
  failing_.FailOn("check", "", kErrorRegistryCorrupt);
  const std::string line =
      std::string("Settings store ") + kPath + " is not usable (status 1015): injected failure";
  EXPECT_EQ(monitor_.Check(), kErrorRegistryCorrupt);
  EXPECT_EQ(monitor_.Check(), kErrorRegistryCorrupt);
  EXPECT_EQ(sink_.Count(line), 2);
  EXPECT_EQ(events_.Count(kEventStoreUnusable), 1);
  EXPECT_EQ(events_.events()[0].string2, std::string(kPath) + ": injected failure");
  ASSERT_EQ(status_lines_.size(), 2u);
  EXPECT_EQ(status_lines_[0],
            std::string("settings store ") + kPath + " not usable: injected failure");
  clock_.AdvanceHours(23);  // past midnight, but not yet a day
  monitor_.Check();
  EXPECT_EQ(events_.Count(kEventStoreUnusable), 1);
  clock_.AdvanceHours(1);
  monitor_.Check();
  EXPECT_EQ(events_.Count(kEventStoreUnusable), 2);

  // Repaired: said once, and the status line is cleared.
  failing_.set_rule(nullptr);
  EXPECT_EQ(monitor_.Check(), kOk);
  EXPECT_EQ(monitor_.Check(), kOk);
  EXPECT_EQ(sink_.Count(std::string("Settings store ") + kPath + " is usable again."), 1);
  EXPECT_EQ(status_lines_.back(), "");
  EXPECT_EQ(status_lines_.size(), 5u);
}

TEST_F(StoreMonitorTest, EveryCheckCycleChecksTheStoreAndStillRunsOnDefaults) {
  RecordingProcessLauncher launcher;
  ServiceEnv env;
  env.store = &monitor_;
  env.store_monitor = &monitor_;
  env.system = &system_;
  env.clock = &clock_;
  env.trace = &trace_;
  env.event_log = &events_;
  env.launcher = &launcher;
  failing_.FailAll(kErrorAccessDenied);
  std::shared_ptr<LimitCheckCycles> cycles = MakeLimitCheckCycles(env, Language::kEnglish);
  cycles->Cycle(CycleReason::kStart);
  cycles->Cycle(CycleReason::kInterval);
  char reply[kPipeRecordSize];
  cycles->OnPartsChanged("1", 1, reply);
  EXPECT_STREQ(reply, "Heared.");
  EXPECT_EQ(sink_.Count(std::string("Settings store ") + kPath +
                        " is not usable (status 5): injected failure"),
            3);
  EXPECT_EQ(events_.Count(kEventStoreUnusable), 1);

  // The store comes back holding a CPU fan past its life: the next cycle reads it as at a
  // start and gives the limit notice.
  inner_.SetDword(kCurrentKey, "CPU_FAN", 1000);
  inner_.SetDword(kLimitKey, "CPU_FAN", 1000);
  failing_.set_rule(nullptr);
  cycles->Cycle(CycleReason::kInterval);
  EXPECT_EQ(events_.Count(kEventLimit), 1);
  EXPECT_EQ(inner_.GetDword(kNotifyDoneKey, "CPU_FAN"), 1u);
}

}  // namespace
}  // namespace quillon
