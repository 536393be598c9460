#include "common/lifetime/slot_rules.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/lifetime/stored_dates.h"
#include "platform/date_time.h"

namespace quillon {
namespace {

double Day(int y, int m, int d, int hour = 0, int minute = 0) {
  return ToDayCount({y, m, d, hour, minute, 0, 0});
}

TEST(DateTextTest, ParsesStoredFormsAndRejectsOthers) {
  double day = 0;
  EXPECT_TRUE(ParseDateText("2026/03/01", 16, &day));
  EXPECT_DOUBLE_EQ(day, Day(2026, 3, 1));
  EXPECT_TRUE(ParseDateText("2028/02/29", 16, &day));
  EXPECT_FALSE(ParseDateText("2027/02/29", 16, &day));
  EXPECT_FALSE(ParseDateText("2026/13/01", 16, &day));
  EXPECT_FALSE(ParseDateText("", 16, &day));
  EXPECT_FALSE(ParseDateText("yesterday", 16, &day));
  EXPECT_FALSE(ParseDateText("0099/01/01", 16, &day));
  // Only the given bytes count: a cut text gives no date and nothing past it is read.
  char cut[4] = {'2', '0', '2', '6'};
  EXPECT_FALSE(ParseDateText(cut, sizeof(cut), &day));
  EXPECT_EQ(DateTextLength(cut, sizeof(cut)), 4u);
  EXPECT_TRUE(ParseDateTimeText("2026/01/01 23:59:59", 24, &day));
  EXPECT_DOUBLE_EQ(day, ToDayCount({2026, 1, 1, 23, 59, 59, 0}));
  EXPECT_FALSE(ParseDateTimeText("2026/01/01 24:00:00", 24, &day));
  EXPECT_FALSE(ParseDateTimeText("2026/01/01", 24, &day));
}

TEST(DateTextTest, FormatsTenCharactersAndZeroFills) {
  char out[16];
  std::memset(out, 'x', sizeof(out));
  FormatDateText({2031, 7, 4, 13, 0, 0, 0}, out, sizeof(out));
  EXPECT_STREQ(out, "2031/07/04");
  for (size_t i = 10; i < sizeof(out); ++i) EXPECT_EQ(out[i], '\0');
}

class CountedSlotTest : public ::testing::Test {
 protected:
  CountedSlotTest() {
    rec_.limit[kCpuFan] = 1000;
    rec_.limitPre[kCpuFan] = 100;
  }
  LifetimeRecord rec_{};
  uint32_t hours_ = 0;
};

TEST_F(CountedSlotTest, WindowOpensAtLimitMinusLeadAndClosesAtLimit) {
  rec_.current[kCpuFan] = 899;
  EXPECT_FALSE(InPreWarningWindow(rec_, 0, 0, &hours_));
  rec_.current[kCpuFan] = 900;
  ASSERT_TRUE(InPreWarningWindow(rec_, 0, 0, &hours_));
  EXPECT_EQ(hours_, 100u);
  EXPECT_FALSE(LimitReached(rec_, 0, 0));
  rec_.current[kCpuFan] = 999;
  ASSERT_TRUE(InPreWarningWindow(rec_, 0, 0, &hours_));
  EXPECT_EQ(hours_, 1u);
  rec_.current[kCpuFan] = 1000;
  EXPECT_FALSE(InPreWarningWindow(rec_, 0, 0, &hours_));
  EXPECT_TRUE(LimitReached(rec_, 0, 0));
}

TEST_F(CountedSlotTest, LimitZeroNeverWarnsAndLeadAboveLimitGivesNoWindow) {
  rec_.limit[kCpuFan] = 0;
  rec_.current[kCpuFan] = 99999;
  EXPECT_FALSE(LimitReached(rec_, 0, 0));
  EXPECT_FALSE(InPreWarningWindow(rec_, 0, 0, &hours_));
  rec_.limit[kCpuFan] = 1000;
  rec_.limitPre[kCpuFan] = 1001;  // 1000 - 1001 wraps to a huge start of the window
  rec_.current[kCpuFan] = 500;
  EXPECT_FALSE(InPreWarningWindow(rec_, 0, 0, &hours_));
}

TEST_F(CountedSlotTest, SlotsUseTheirOwnCounter) {
  rec_.limit[kPsu] = 50;
  rec_.limitPre[kPsu] = 10;
  rec_.current[kPsu] = 45;
  rec_.limit[kCaisFan] = 50;
  rec_.current[kCaisFan] = 50;
  ASSERT_TRUE(InPreWarningWindow(rec_, 18, 0, &hours_));
  EXPECT_EQ(hours_, 5u);
  EXPECT_TRUE(LimitReached(rec_, 19, 0));
  EXPECT_FALSE(LimitReached(rec_, 0, 0));
  EXPECT_EQ(CounterKindOfSlot(5), -1);
  EXPECT_FALSE(LimitReached(rec_, 20, 0));
  EXPECT_FALSE(InPreWarningWindow(rec_, -1, 0, &hours_));
}

class DateSlotTest : public ::testing::Test {
 protected:
  DateSlotTest() {
    std::strcpy(rec_.setupDate[16], "2026/01/01");  // UPS: limit at 2026/01/11 00:00
    rec_.limit[kUps] = 240;
    rec_.limitPre[kUps] = 48;
    std::strcpy(rec_.setupDate[2], "2026/01/01");  // RAID03: limit at 2026/01/02 00:00
    rec_.raidLimit[2] = 24;
    rec_.raidLimitPre[2] = 24;
  }
  LifetimeRecord rec_{};
  uint32_t hours_ = 0;
};

TEST_F(DateSlotTest, RemainingHoursAreCutToWholeHours) {
  EXPECT_FALSE(InPreWarningWindow(rec_, 17, Day(2026, 1, 8, 22, 30), &hours_));  // 49.5 h
  ASSERT_TRUE(InPreWarningWindow(rec_, 17, Day(2026, 1, 8, 23, 30), &hours_));   // 48.5 h
  EXPECT_EQ(hours_, 48u);
  ASSERT_TRUE(InPreWarningWindow(rec_, 17, Day(2026, 1, 9, 0, 0), &hours_));  // exactly 48 h
  EXPECT_EQ(hours_, 48u);
  ASSERT_TRUE(InPreWarningWindow(rec_, 17, Day(2026, 1, 10, 22, 30), &hours_));
  EXPECT_EQ(hours_, 1u);
}

TEST_F(DateSlotTest, WholeHoursOfTheDayLoseNoHour) {
  // At a whole hour the remaining time is a whole number of hours, but the day counts carry
  // rounding noise (at 02:00 the difference comes out as 45.99999... hours): the cut must not
  // lose that hour, in the window nor in the remaining hours shown.
  for (int h = 0; h < 72; ++h) {
    const double now = Day(2026, 1, 8 + h / 24, h % 24);
    const int64_t expected = 72 - h;
    int64_t remaining = 0;
    ASSERT_TRUE(RemainingHours(rec_, 17, now, &remaining));
    EXPECT_EQ(remaining, expected) << "hour " << h;
    if (expected > 48) continue;
    ASSERT_TRUE(InPreWarningWindow(rec_, 17, now, &hours_)) << "hour " << h;
    EXPECT_EQ(hours_, static_cast<uint32_t>(expected)) << "hour " << h;
  }
}

TEST_F(DateSlotTest, LastHourIsNeitherWindowNorLimitUntilTheMomentPasses) {
  const double last_hour = Day(2026, 1, 10, 23, 30);
  EXPECT_FALSE(InPreWarningWindow(rec_, 17, last_hour, &hours_));
  EXPECT_FALSE(LimitReached(rec_, 17, last_hour));
  EXPECT_FALSE(LimitReached(rec_, 17, Day(2026, 1, 11)));  // the moment itself
  EXPECT_TRUE(LimitReached(rec_, 17, Day(2026, 1, 11, 0, 1)));
  EXPECT_FALSE(InPreWarningWindow(rec_, 17, Day(2026, 1, 11, 0, 1), &hours_));
}

TEST_F(DateSlotTest, RaidSlotUsesItsOwnLimitAndLead) {
  ASSERT_TRUE(InPreWarningWindow(rec_, 3, Day(2026, 1, 1, 12, 0), &hours_));
  EXPECT_EQ(hours_, 12u);
  EXPECT_TRUE(LimitReached(rec_, 3, Day(2026, 1, 2, 0, 30)));
  EXPECT_FALSE(LimitReached(rec_, 4, Day(2040, 1, 1)));  // no setup date
}

TEST_F(DateSlotTest, MissingOrInvalidSetupDateIsNeverWarned) {
  std::strcpy(rec_.setupDate[16], "");
  EXPECT_FALSE(LimitReached(rec_, 17, Day(2040, 1, 1)));
  std::strcpy(rec_.setupDate[16], "2026/02/30");
  EXPECT_FALSE(LimitReached(rec_, 17, Day(2040, 1, 1)));
  EXPECT_FALSE(InPreWarningWindow(rec_, 17, Day(2026, 1, 10), &hours_));
  // A setup date filling all 16 bytes without a zero is read no further.
  std::memset(rec_.setupDate[16], '1', 16);
  EXPECT_FALSE(LimitReached(rec_, 17, Day(2040, 1, 1)));
}

TEST(SupportPeriodTest, DefaultsToFiveYearsAndALifeEndingWithThePeriodIsInside) {
  EXPECT_EQ(SupportPeriodHours(0), 43800);
  EXPECT_EQ(SupportPeriodHours(3), 3 * 8760);
  // 1000 - 200 + 43000 = 43800: the life ends exactly with the period.
  EXPECT_FALSE(EndsAfterSupport(1000, 200, 43000, 43800));
  EXPECT_TRUE(EndsAfterSupport(1000, 199, 43000, 43800));
  // A counter far past its limit leaves a negative remaining life, not a wrapped huge one.
  EXPECT_FALSE(EndsAfterSupport(1000, 99999, 50000, 43800));
}

}  // namespace
}  // namespace quillon
