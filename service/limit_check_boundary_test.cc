// Boundaries of the lifetime check that sit between whole numbers: the remaining hours of a
// date-counted part at whole hours of the day, its limit moment, and the support stop rule
// where the server hours equal the limit.

#include <gtest/gtest.h>

#include <cstdio>

#include "common/lifetime/slot_rules.h"
#include "platform/date_time.h"
#include "service/limit_check.h"
#include "service/limit_check_test_util.h"
#include "service/messages.h"

namespace quillon {
namespace {

// A UPS battery set up 2026/01/01 with a life of 240 hours: its limit moment is 2026/01/11
// 00:00. At 2026/01/09 02:00 it has 46 hours left; the day count of 02:00 is not exact, and
// without the allowance before the cut the remaining time comes out as 45.99999... hours.
TEST(RemainingHoursTest, WholeHoursOfTheDayGiveWholeRemainingHours) {
  LifetimeRecord rec{};
  std::snprintf(rec.setupDate[16], sizeof rec.setupDate[16], "2026/01/01");
  rec.limit[kUps] = 240;
  rec.limitPre[kUps] = 240;
  uint32_t hours = 0;
  ASSERT_TRUE(InPreWarningWindow(rec, kNotifyUps, ToDayCount({2026, 1, 9, 2, 0, 0, 0}), &hours));
  EXPECT_EQ(hours, 46u);

  // Every whole hour of the battery's life, as the interval cycles of a service started on a
  // whole hour see it.
  for (int elapsed = 1; elapsed < 240; ++elapsed) {
    const double now = ToDayCount({2026, 1, 1, 0, 0, 0, 0}) + elapsed / 24.0;
    ASSERT_TRUE(InPreWarningWindow(rec, kNotifyUps, now, &hours)) << elapsed;
    EXPECT_EQ(hours, static_cast<uint32_t>(240 - elapsed)) << "after " << elapsed << " hours";
  }
}

class LimitCheckBoundaryTest : public ::testing::Test {
 protected:
  EngineRig rig_;
};

TEST_F(LimitCheckBoundaryTest, WindowOpensAtTheWholeHourOfTheLead) {
  // With a lead of 45 hours the window opens at 03:00, not an hour early at 02:00.
  rig_.SetUps("2026/01/01", 240, 45);
  rig_.Engine().Cycle(CycleReason::kStart);
  rig_.clock.Set({2026, 1, 9, 2, 0, 0, 0});
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.PreFlag(kNotifyUps), 0u);
  EXPECT_TRUE(rig_.notifier.launches.empty());
  rig_.clock.Set({2026, 1, 9, 3, 0, 0, 0});
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.PreFlag(kNotifyUps), 1u);
  EXPECT_EQ(rig_.notifier.CountItem(kNotifyUps), 1);

  // Below a day the notices print the hours themselves: 19 at 05:00 of the last day.
  rig_.SetRaid(1, "2026/01/01", 240, 20, 1);
  rig_.Restart().Cycle(CycleReason::kStart);
  rig_.clock.Set({2026, 1, 10, 5, 0, 0, 0});
  rig_.notifier.launches.clear();
  rig_.Engine().Cycle(CycleReason::kInterval);
  ASSERT_EQ(rig_.notifier.CountItem(1), 1);
  EXPECT_EQ(
      rig_.notifier.launches.back().text,
      FormatPreWarningText(kKindRaidConsumable, 1, 19, Language::kEnglish, TextForm::kScreen));
  EXPECT_EQ(rig_.events.events().back().string1,
            FormatPreWarningText(kKindRaidConsumable, 1, 19, Language::kEnglish, TextForm::kEvent));
}

TEST_F(LimitCheckBoundaryTest, LimitNoticeComesOnlyAfterTheLimitMoment) {
  // The battery's limit moment is 2026/01/11 00:00: a cycle at that moment gives no notice
  // yet, the first one after it announces the limit.
  rig_.SetUps("2026/01/01", 240, 0);
  rig_.Engine().Cycle(CycleReason::kStart);
  rig_.clock.Set({2026, 1, 11, 0, 0, 0, 0});
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.LimitFlag(kNotifyUps), 0u);
  EXPECT_TRUE(rig_.notifier.launches.empty());
  rig_.clock.Set({2026, 1, 11, 0, 1, 0, 0});
  rig_.Engine().Cycle(CycleReason::kInterval);
  EXPECT_EQ(rig_.LimitFlag(kNotifyUps), 1u);
  EXPECT_EQ(rig_.notifier.launches.size(), 1u);
}

TEST_F(LimitCheckBoundaryTest, SupportStopNeedsServerHoursAboveTheLimit) {
  // Five years of support (43800 hours). L = 30000, N = 0: the part's life would end at
  // 60000 server hours, after the support period, but the server has not yet run longer than
  // the limit, so the rule does not apply.
  rig_.SetRoot("SupportLimit", 5);
  rig_.SetRoot("LifeTime", 30000);
  rig_.SetCounted(kCpuFan, 0, 30000, 0);
  rig_.SetCounted(kPsu, 0, 30000, 0);
  rig_.SetCounted(kCaisFan, 0, 30000, 0);
  rig_.Engine().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.store.GetDword(kCurrentStopKey, "CPU_FAN", 0), 0u);
  EXPECT_EQ(rig_.store.GetDword(kCurrentStopKey, "PSU", 0), 0u);
  EXPECT_EQ(rig_.store.GetDword(kCurrentStopKey, "CAIS_FAN", 0), 0u);

  // One hour more and all three are stopped.
  rig_.SetRoot("LifeTime", 30001);
  rig_.Restart().Cycle(CycleReason::kStart);
  EXPECT_EQ(rig_.store.GetDword(kCurrentStopKey, "CPU_FAN", 0), 1u);
  EXPECT_EQ(rig_.store.GetDword(kCurrentStopKey, "PSU", 0), 1u);
  EXPECT_EQ(rig_.store.GetDword(kCurrentStopKey, "CAIS_FAN", 0), 1u);
}

}  // namespace
}  // namespace quillon
