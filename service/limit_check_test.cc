#include "service/limit_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/fakes/failing_store.h"
#include "service/limit_check_test_util.h"
#include "service/messages.h"

namespace quillon {
namespace {

constexpr uint32_t kStatusEvent = 0x400203EC;

class LimitCheckTest : public ::testing::Test {
 protected:
  void At(int y, int m, int d, int hour, int minute) { rig_.clock.Set({y, m, d, hour, minute}); }
  int Launches() { return static_cast<int>(rig_.notifier.launches.size()); }
  EngineRig rig_;
};

TEST_F(LimitCheckTest, StartWritesStatusEntryInTheServiceLanguage) {
  rig_.SetRootText("InstallDate", "2025/12/01 12:00:00");
  rig_.SetRoot("RunningTime", 500);
  rig_.SetRoot("LifeTime", 1234);
  rig_.Engine().Cycle(CycleReason::kStart);

  // 500 hours over the 30.52 days since 2025/12/01 12:00.
  EXPECT_EQ(rig_.RootText("AverageTime"), "16.4");
  EXPECT_EQ(rig_.RootText("StatusLogDate"), "2026/01/01");
  const auto events = rig_.events.events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].event_id, kStatusEvent);
  EXPECT_EQ(events[0].type, kEventTypeInformation);
  EXPECT_EQ(events[0].string1, "TALVEN");
  EXPECT_EQ(events[0].string2,
            "Install: 2025/12/01 12:00:00  ServerRunningTime: 1234 hours (16.4 hours a day on "
            "the average).");
  EXPECT_EQ(rig_.sink.Count("Status: [Install=2025/12/01 12:00:00] [LifeTime=1234] "
                            "[RunningTime=500] [Average=16.4]."),
            1);

  rig_.Restart(Language::kJapanese).Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.events.events().back().string2,
            "インストール:2025/12/01 12:00:00  サーバ稼動時間:1234  平均稼動時間/日:16.4");
}

TEST_F(LimitCheckTest, AverageIsCappedAndNeedsOneDay) {
  rig_.SetRootText("InstallDate", "2025/12/31 00:00:00");  // 1.02 days before now
  rig_.SetRoot("RunningTime", 100);
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.RootText("AverageTime"), "24.0");

  rig_.SetRootText("AverageTime", "7.0");
  rig_.SetRootText("InstallDate", "2025/12/31 12:00:00");  // half a day
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.RootText("AverageTime"), "7.0");
  rig_.SetRootText("InstallDate", "2025/02/30 12:00:00");  // no such day
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.RootText("AverageTime"), "7.0");
  rig_.SetRootText("InstallDate", "2025/01/01 00:00:00");
  rig_.SetRoot("RunningTime", 0);
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.RootText("AverageTime"), "7.0");
}

TEST_F(LimitCheckTest, StatusEntryShowsDashesForUnreadableTexts) {
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_FALSE(rig_.store.HasValue(kRootKey, "AverageTime"));
  EXPECT_EQ(rig_.events.events().at(0).string2,
            "Install: --  ServerRunningTime: 0 hours (-- hours a day on the average).");
  EXPECT_EQ(rig_.sink.Count("Status: [Install=--] [LifeTime=0] [RunningTime=0] [Average=--]."), 1);
}

TEST_F(LimitCheckTest, DailyEntryComesAtTheFirstIntervalAfterTheNextMidnight) {
  rig_.Engine().Cycle(CycleReason::kStart);  // 2026/01/01 00:30
  At(2026, 1, 1, 23, 30);
  rig_.Engine().Cycle(CycleReason::kInterval);
  At(2026, 1, 2, 0, 0);  // the stored day plus one day is not yet before now
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.events.Count(kStatusEvent), 1);
  At(2026, 1, 2, 0, 30);
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.events.Count(kStatusEvent), 2);
  EXPECT_EQ(rig_.RootText("StatusLogDate"), "2026/01/02");
  rig_.Engine().Cycle(CycleReason::kInterval);
  rig_.Engine().Cycle(CycleReason::kPartsChanged);
  EXPECT_EQ(rig_.events.Count(kStatusEvent), 2);

  // An empty date makes the entry due at once.
  rig_.SetRootText("StatusLogDate", "");
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.events.Count(kStatusEvent), 3);
}

TEST_F(LimitCheckTest, InvalidStatusLogDateStopsTheEntryUntilTheNextStart) {
  rig_.SetRootText("StatusLogDate", "2026/02/31");
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.RootText("StatusLogDate"), "2026/01/01");
  rig_.SetRootText("StatusLogDate", "garbage");
  for (int day = 2; day < 20; ++day) {
    At(2026, 1, day, 1, 0);
    rig_.Engine().Cycle(CycleReason::kInterval);
  }
  EXPECT_EQ(rig_.events.Count(kStatusEvent), 1);
  EXPECT_EQ(rig_.RootText("StatusLogDate"), "garbage");
  rig_.Restart().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.events.Count(kStatusEvent), 2);
  EXPECT_EQ(rig_.RootText("StatusLogDate"), "2026/01/19");
}

TEST_F(LimitCheckTest, CountersStopAt99999WithoutBeingRewritten) {
  rig_.SetCounted(kCpuFan, 99998, 0, 0);
  rig_.SetCounted(kPsu, 99999, 0, 0);
  rig_.SetCounted(kCaisFan, 5, 0, 0);
  rig_.SetRoot("LifeTime", 99999);
  rig_.SetRoot("RunningTime", 7);
  int cpu_writes = 0;
  int psu_writes = 0;
  FailingStore watched(&rig_.store);
  watched.set_rule([&](std::string_view op, std::string_view key, std::string_view name) {
    if (op == "set" && key == kCurrentKey) {
      cpu_writes += name == "CPU_FAN" ? 1 : 0;
      psu_writes += name == "PSU" ? 1 : 0;
    }
    return kOk;
  });
  rig_.engine_store = &watched;
  rig_.Engine().Cycle(CycleReason::kStart);
  rig_.Engine().Cycle(CycleReason::kInterval);
  rig_.Engine().Cycle(CycleReason::kInterval);

  EXPECT_EQ(rig_.Counter(kCpuFan), 99999u);
  EXPECT_EQ(rig_.Counter(kPsu), 99999u);
  EXPECT_EQ(rig_.Counter(kCaisFan), 7u);
  EXPECT_EQ(cpu_writes, 1);
  EXPECT_EQ(psu_writes, 0);
  EXPECT_EQ(rig_.Root("LifeTime"), 100001u);
  EXPECT_EQ(rig_.Root("RunningTime"), 9u);
}

TEST_F(LimitCheckTest, UnreadableHourTotalsAreNotOverwritten) {
  rig_.SetRoot("LifeTime", 50000);
  rig_.SetRoot("RunningTime", 40000);
  FailingStore failing(&rig_.store);
  rig_.engine_store = &failing;
  rig_.Engine().Cycle(CycleReason::kStart);
  failing.FailOn("get", "LifeTime", kErrorRegistryIo);
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.Root("LifeTime"), 50000u);
  EXPECT_EQ(rig_.Root("RunningTime"), 40001u);
  failing.FailOn("get", "RunningTime", kErrorTimeout);
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.Root("LifeTime"), 50001u);
  EXPECT_EQ(rig_.Root("RunningTime"), 40001u);
  // A missing total starts from 0.
  failing.FailAll(kOk);
  rig_.store.DeleteValue(kRootKey, "RunningTime");
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.Root("RunningTime"), 1u);
}

TEST_F(LimitCheckTest, UnreadableCounterIsNotOverwrittenAndIsReadAgainLater) {
  rig_.SetCounted(kCpuFan, 15000, 20000, 0);
  rig_.SetCounted(kPsu, 300, 0, 0);
  rig_.SetRoot("LifeTime", 30000);  // would set the support stop for a counter taken as 0
  rig_.SetRoot("SupportLimit", 1);
  Status fail = kErrorRegistryIo;
  FailingStore failing(&rig_.store);
  failing.set_rule([&](std::string_view op, std::string_view key, std::string_view name) {
    return op == "get" && key == kCurrentKey && name == "CPU_FAN" ? fail : kOk;
  });
  rig_.engine_store = &failing;
  rig_.Engine().Cycle(CycleReason::kStart);
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.Counter(kCpuFan), 15000u);
  EXPECT_EQ(rig_.Counter(kPsu), 301u);
  EXPECT_FALSE(rig_.store.HasValue(kCurrentStopKey, "CPU_FAN"));
  fail = kOk;
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.Counter(kCpuFan), 15001u);
  EXPECT_EQ(rig_.Counter(kPsu), 302u);
}

TEST_F(LimitCheckTest, FailingStoreLeavesDefaultsAndNeverStopsACycle) {
  rig_.SetCounted(kCpuFan, 950, 1000, 100);
  FailingStore failing(&rig_.store);
  rig_.engine_store = &failing;
  failing.FailAll(kErrorRegistryIo);
  rig_.Engine().Cycle(CycleReason::kStart);  // nothing read: no part is known
  rig_.Engine().Cycle(CycleReason::kInterval);
  char reply[kPipeRecordSize];
  rig_.Engine().OnPartsChanged("1", 1, reply);
  EXPECT_STREQ(reply, "Heared.");
  EXPECT_EQ(Launches(), 0);
  // The status entry still goes out with the unreadable values shown as defaults, at the
  // start and at the interval (an unreadable StatusLogDate means the entry is due).
  EXPECT_EQ(rig_.events.Count(kStatusEvent), 2);
  EXPECT_EQ(rig_.sink.Count("Status: [Install=--] [LifeTime=0] [RunningTime=0] [Average=--]."), 2);
  EXPECT_EQ(rig_.Counter(kCpuFan), 950u);
}

TEST_F(LimitCheckTest, SupportStopRuleMarksPartsEndingAfterTheSupportPeriod) {
  // SupportLimit missing: 43800 hours. L - N + LifeTime must exceed it, LifeTime exceed L.
  rig_.SetRoot("LifeTime", 33801);
  rig_.SetCounted(kCpuFan, 0, 10000, 0);                // 10000 + 33801 = 43801: stopped
  rig_.SetCounted(kPsu, 1, 10000, 0);                   // 43800: not stopped
  rig_.SetCounted(kCaisFan, 0, 40000, 0);               // LifeTime not above the limit
  rig_.store.SetDword(kCurrentStopKey, "CAIS_FAN", 1);  // never cleared by the rule
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.store.GetDword(kCurrentStopKey, "CPU_FAN", 0), 1u);
  EXPECT_FALSE(rig_.store.HasValue(kCurrentStopKey, "PSU"));
  EXPECT_EQ(rig_.store.GetDword(kCurrentStopKey, "CAIS_FAN", 0), 1u);

  // SupportLimit 1: 8760 hours.
  rig_.store.DeleteKeyTree(kCurrentStopKey);
  rig_.SetRoot("SupportLimit", 1);
  rig_.SetRoot("LifeTime", 5000);
  rig_.SetCounted(kCpuFan, 1240, 5000, 0);   // 5000 - 1240 + 5000 = 8760: not stopped
  rig_.SetCounted(kPsu, 1239, 4999, 0);      // 4999 - 1239 + 5000 = 8760: not stopped
  rig_.SetCounted(kCaisFan, 1000, 4999, 0);  // 8999: stopped
  rig_.Restart().Cycle(CycleReason::kStart);
  EXPECT_FALSE(rig_.store.HasValue(kCurrentStopKey, "CPU_FAN"));
  EXPECT_FALSE(rig_.store.HasValue(kCurrentStopKey, "PSU"));
  EXPECT_EQ(rig_.store.GetDword(kCurrentStopKey, "CAIS_FAN", 0), 1u);
}

TEST_F(LimitCheckTest, SupportStopRuleDoesNotWrapRound) {
  // A counter far past its limit after the server hours were restarted: 20000 - 45000 +
  // 21000 is negative, so the part's life ended long ago, within the support period.
  rig_.SetRoot("LifeTime", 21000);
  rig_.SetCounted(kCpuFan, 45000, 20000, 0);
  // Limit and server hours whose sum passes 32 bits: far beyond any support period.
  rig_.SetCounted(kPsu, 0, 4000000000u, 0);
  rig_.SetRoot("SupportLimit", 500000);  // 4,380,000,000 hours
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_FALSE(rig_.store.HasValue(kCurrentStopKey, "CPU_FAN"));
  EXPECT_FALSE(rig_.store.HasValue(kCurrentStopKey, "PSU"));  // LifeTime below the limit
  EXPECT_EQ(rig_.events.Count(0xC00004B4), 1);                // the overdue fan is still announced

  rig_.SetRoot("LifeTime", 4000000001u);
  rig_.Restart().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.store.GetDword(kCurrentStopKey, "PSU", 0), 1u);  // 8,000,000,001 hours
  EXPECT_FALSE(rig_.store.HasValue(kCurrentStopKey, "CPU_FAN"));
}

TEST_F(LimitCheckTest, SupportStopSilencesNoticesButKeepsTheBookkeeping) {
  rig_.SetCounted(kCaisFan, 949, 1000, 50);
  rig_.store.SetDword(kCurrentStopKey, "CAIS_FAN", 1);
  rig_.Engine().Cycle(CycleReason::kStart);
  rig_.Engine().Cycle(CycleReason::kInterval);  // 950: window
  EXPECT_EQ(rig_.PreFlag(kNotifyCaisFan), 1u);
  EXPECT_EQ(rig_.PreDate(kNotifyCaisFan), "2026/01/01");
  rig_.SetCounted(kCaisFan, 1000, 1000, 50);
  rig_.PartsChanged({});  // no slot flagged; the counter stays as the engine counts it
  At(2026, 1, 5, 0, 30);
  for (int i = 0; i < 50; ++i) rig_.Engine().Cycle(CycleReason::kInterval);  // reaches 1000
  EXPECT_EQ(rig_.LimitFlag(kNotifyCaisFan), 1u);
  EXPECT_EQ(rig_.LimitDate(kNotifyCaisFan), "2026/01/05");
  EXPECT_EQ(rig_.PreDate(kNotifyCaisFan), "2026/01/05");  // the repeat date moved on
  EXPECT_EQ(Launches(), 0);
  EXPECT_EQ(rig_.events.Count(0xC00004B3), 0);
  EXPECT_EQ(rig_.events.Count(0xC00004B4), 0);
}

TEST_F(LimitCheckTest, PreWarningRepeatsOnlyAtIntervalsAfterNotifyDaysPre) {
  rig_.SetCounted(kCpuFan, 899, 1000, 100);
  rig_.SetRoot("StartUpPID", 3);
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(Launches(), 0);
  At(2026, 1, 1, 1, 30);
  rig_.Engine().Cycle(CycleReason::kInterval);  // 900
  ASSERT_EQ(Launches(), 1);
  EXPECT_TRUE(rig_.notifier.launches[0].mi);
  EXPECT_EQ(rig_.notifier.launches[0].item, 0);
  EXPECT_EQ(rig_.notifier.launches[0].text,
            FormatPreWarningText(kKindCpuFan, 0, 100, Language::kEnglish, TextForm::kScreen));
  EXPECT_EQ(rig_.events.Count(0xC00004B3), 1);
  EXPECT_EQ(rig_.events.events().back().string1,
            "It is 100 hours (about 4 days) till the operating life time of CPU FAN.Please "
            "contact Support and Contact for Halvorn in your duty.");
  EXPECT_EQ(rig_.PreDate(kNotifyCpuFan), "2026/01/01");

  At(2026, 1, 3, 23, 30);
  rig_.Engine().Cycle(CycleReason::kInterval);
  At(2026, 1, 4, 0, 0);  // the stored day plus 3 days equals now: not yet
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(Launches(), 1);
  At(2026, 1, 4, 0, 30);
  rig_.Engine().Cycle(CycleReason::kStart);  // a start never repeats a pre-warning
  rig_.Engine().Cycle(CycleReason::kPartsChanged);
  EXPECT_EQ(Launches(), 1);
  rig_.Engine().Cycle(CycleReason::kInterval);
  ASSERT_EQ(Launches(), 2);
  EXPECT_EQ(rig_.notifier.launches[1].text,
            FormatPreWarningText(kKindCpuFan, 0, 1000 - rig_.Counter(kCpuFan), Language::kEnglish,
                                 TextForm::kScreen));
  EXPECT_EQ(rig_.events.Count(0xC00004B3), 1);  // events for first notices only
  EXPECT_EQ(rig_.PreDate(kNotifyCpuFan), "2026/01/04");

  rig_.SetRoot("NotifyDaysPre", 1);
  At(2026, 1, 5, 0, 30);
  rig_.Engine().Cycle(CycleReason::kInterval);
  At(2026, 1, 5, 1, 30);
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(Launches(), 3);
}

TEST_F(LimitCheckTest, LimitRepeatsAfterNotifyDaysAndAtEveryStart) {
  rig_.SetCounted(kCpuFan, 999, 1000, 0);
  rig_.Engine().Cycle(CycleReason::kStart);
  At(2026, 1, 1, 1, 30);
  rig_.Engine().Cycle(CycleReason::kInterval);  // 1000: limit
  ASSERT_EQ(Launches(), 1);
  EXPECT_FALSE(rig_.notifier.launches[0].mi);
  EXPECT_EQ(rig_.notifier.launches[0].item, -1);
  EXPECT_EQ(rig_.notifier.launches[0].text,
            FormatLimitText(kKindCpuFan, 0, Language::kEnglish, TextForm::kScreen));
  EXPECT_EQ(rig_.events.Count(0xC00004B4), 1);
  EXPECT_EQ(rig_.LimitFlag(kNotifyCpuFan), 1u);
  EXPECT_EQ(rig_.LimitDate(kNotifyCpuFan), "2026/01/01");
  EXPECT_EQ(rig_.clock.sleeps().size(), 1u);  // TALVENMS and its pause

  At(2026, 1, 31, 0, 0);
  rig_.Engine().Cycle(CycleReason::kInterval);
  rig_.Engine().Cycle(CycleReason::kPartsChanged);
  EXPECT_EQ(Launches(), 1);
  At(2026, 1, 31, 0, 30);
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(Launches(), 2);
  EXPECT_EQ(rig_.LimitDate(kNotifyCpuFan), "2026/01/31");

  At(2026, 2, 1, 9, 0);
  rig_.Restart().Cycle(CycleReason::kStart);  // a reminder; the date stays
  EXPECT_EQ(Launches(), 3);
  EXPECT_EQ(rig_.LimitDate(kNotifyCpuFan), "2026/01/31");
  EXPECT_EQ(rig_.events.Count(0xC00004B4), 1);
}

TEST_F(LimitCheckTest, OperatorStopHoldsBackRepeatsButNotTheFirstPreWarning) {
  rig_.SetUps("2026/01/01", 240, 96);  // window from 2026/01/07 00:00
  rig_.store.SetDword(kNotifyDonePreStopKey, "UPS", 1);
  rig_.Engine().Cycle(CycleReason::kStart);
  At(2026, 1, 7, 0, 30);
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(Launches(), 1);
  EXPECT_EQ(rig_.notifier.launches[0].text,
            FormatPreWarningText(kKindUpsBbu, 17, 95, Language::kEnglish, TextForm::kScreen));
  EXPECT_EQ(rig_.events.Count(0xC00004B3), 1);
  At(2026, 1, 10, 0, 30);
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(Launches(), 1);
  EXPECT_EQ(rig_.PreDate(kNotifyUps), "2026/01/10");
}

TEST_F(LimitCheckTest, RepeatNeedsAStoredDateOfTenCharacters) {
  rig_.SetCounted(kCpuFan, 2000, 1000, 100);
  rig_.store.SetDword(kNotifyDoneKey, "CPU_FAN", 1);
  rig_.store.SetText(kNotifyDoneKey, "CPU_FAN_DATE", "2025/1/1");
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(Launches(), 1);  // the start reminder
  At(2026, 6, 1, 0, 30);
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(Launches(), 1);
  EXPECT_EQ(rig_.LimitDate(kNotifyCpuFan), "2025/1/1");
}

TEST_F(LimitCheckTest, EmptyRequestChangesNothingButFirstNoticesFire) {
  rig_.SetUps("2026/01/01", 240, 48);
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(Launches(), 0);
  At(2026, 1, 9, 12, 0);  // 36 hours left
  const int writes = rig_.store.write_count();
  auto request = std::make_unique<char[]>(20);
  std::memset(request.get(), '0', 20);  // twenty "0", no terminating zero
  char reply[kPipeRecordSize];
  rig_.Engine().OnPartsChanged(request.get(), 20, reply);
  EXPECT_EQ(Launches(), 1);
  EXPECT_EQ(rig_.events.Count(0xC00004B3), 1);
  EXPECT_EQ(rig_.store.write_count() - writes, 2);  // the UPS pre-warning flag and date only
  EXPECT_EQ(rig_.PreFlag(kNotifyUps), 1u);
  EXPECT_EQ(rig_.PreDate(kNotifyUps), "2026/01/09");
}

TEST_F(LimitCheckTest, PartsChangedForAPartStillPastItsLimitNotifiesAgain) {
  rig_.SetCounted(kCpuFan, 1500, 1000, 100);
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.events.Count(0xC00004B4), 1);
  EXPECT_EQ(rig_.PartsChanged({0}), "Heared.");
  EXPECT_EQ(Launches(), 2);
  EXPECT_EQ(rig_.events.Count(0xC00004B4), 2);
  EXPECT_EQ(rig_.LimitFlag(kNotifyCpuFan), 1u);
}

TEST_F(LimitCheckTest, PartsChangedClearsTheSlotAndReReadsOnlyItsBaseData) {
  rig_.SetCounted(kCpuFan, 1500, 1000, 100);
  rig_.SetCounted(kPsu, 10, 1000, 10);
  rig_.SetRaid(2, "2020/01/01", 100, 10, 0);
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.LimitFlag(kNotifyCpuFan), 1u);
  EXPECT_EQ(rig_.LimitFlag(2), 1u);
  rig_.store.SetDword(kNotifyDonePreStopKey, "CPU_FAN", 1);
  rig_.store.SetDword(kNotifyDonePreStopKey, "RAID02", 1);

  // The GUI resets the CPU fan, gives RAID02 a new date and changes limits.
  rig_.store.SetDword(kCurrentKey, "CPU_FAN", 0);
  rig_.store.SetDword(kLimitKey, "CPU_FAN", 5);  // not taken until the next start
  rig_.store.SetDword(kLimitKey, "PSU", 20);     // taken with slot 18
  rig_.store.SetDword(kCurrentKey, "PSU", 15);
  rig_.store.SetText(kSetupDateKey, "RAID02", "2025/12/31");
  EXPECT_EQ(rig_.PartsChanged({0, 2, 18}), "Heared.");

  EXPECT_EQ(rig_.LimitFlag(kNotifyCpuFan), 0u);
  EXPECT_EQ(rig_.LimitDate(kNotifyCpuFan), "");
  EXPECT_EQ(rig_.PreFlag(kNotifyCpuFan), 0u);
  EXPECT_EQ(rig_.store.GetDword(kNotifyDonePreStopKey, "CPU_FAN", 9), 0u);
  EXPECT_EQ(rig_.store.GetDword(kNotifyDonePreStopKey, "RAID02", 9), 0u);
  const LifetimeRecord& rec = rig_.Engine().lifetime();
  EXPECT_EQ(rec.current[kCpuFan], 0u);
  EXPECT_EQ(rec.limit[kCpuFan], 1000u);
  EXPECT_EQ(rec.limit[kPsu], 20u);
  EXPECT_EQ(rec.current[kPsu], 15u);
  EXPECT_STREQ(rec.setupDate[1], "2025/12/31");
  // 2025/12/31 + 100 hours is still ahead, 99.5 hours left of a 10-hour lead: no notice.
  EXPECT_EQ(rig_.LimitFlag(2), 0u);
  EXPECT_EQ(rig_.PreFlag(2), 0u);
  // The PSU (15 of 20, lead 10) is now in its window: a first notice in the same cycle.
  EXPECT_EQ(rig_.PreFlag(kNotifyPsu), 1u);
}

TEST_F(LimitCheckTest, RequestIsNeverReadPastTheBytesReceived) {
  for (int i = 0; i < kNotifyCount; ++i) {
    rig_.store.SetDword(kNotifyDonePreStopKey, NotifyFlagName(i), 1);
  }
  rig_.Engine().Cycle(CycleReason::kStart);
  char reply[kPipeRecordSize];

  std::memset(reply, 'x', sizeof(reply));
  rig_.Engine().OnPartsChanged(nullptr, 0, reply);
  EXPECT_STREQ(reply, "Heared.");
  for (size_t i = 8; i < sizeof(reply); ++i) ASSERT_EQ(reply[i], '\0');

  // Five bytes, no terminating zero, in a buffer of exactly that size.
  auto five = std::make_unique<char[]>(5);
  std::memset(five.get(), '1', 5);
  rig_.Engine().OnPartsChanged(five.get(), 5, reply);
  EXPECT_STREQ(reply, "Heared.");
  for (int i = 0; i < kNotifyCount; ++i) {
    EXPECT_EQ(rig_.store.GetDword(kNotifyDonePreStopKey, NotifyFlagName(i)), i < 5 ? 0u : 1u) << i;
  }

  // A request far longer than the record: only characters 0 to 19 count.
  auto text = std::make_unique<char[]>(300);
  std::memset(text.get(), '1', 300);
  rig_.Engine().OnPartsChanged(text.get(), 300, reply);
  EXPECT_STREQ(reply, "Heared.");
  EXPECT_EQ(rig_.store.GetDword(kNotifyDonePreStopKey, "CAIS_FAN"), 0u);

  // Anything but "1" leaves the slot alone.
  rig_.store.SetDword(kNotifyDonePreStopKey, "CPU_FAN", 1);
  rig_.Engine().OnPartsChanged("2", 1, reply);
  EXPECT_EQ(rig_.store.GetDword(kNotifyDonePreStopKey, "CPU_FAN"), 1u);
}

TEST_F(LimitCheckTest, UnknownReasonDoesNothing) {
  rig_.Engine().Cycle(static_cast<CycleReason>(3));
  rig_.Engine().Cycle(static_cast<CycleReason>(-1));
  EXPECT_EQ(rig_.store.write_count(), 3);  // the rig's own set-up
  EXPECT_TRUE(rig_.events.events().empty());
}

}  // namespace
}  // namespace quillon
