#include "gui/core/field_logic.h"

#include <gtest/gtest.h>

namespace quillon::gui {
namespace {

TEST(FieldColourTest, AlertWinsOverChanged) {
  EXPECT_EQ(PickFieldColour("100", "100", false), FieldColour::kDefault);
  EXPECT_EQ(PickFieldColour("101", "100", false), FieldColour::kChanged);
  EXPECT_EQ(PickFieldColour("101", "100", true), FieldColour::kAlert);
  EXPECT_EQ(PickFieldColour("100", "100", true), FieldColour::kAlert);
}

TEST(RunningHoursTest, AlertFromTheLimitOn) {
  EXPECT_TRUE(RunningHoursAlert("17520", 17520));
  EXPECT_FALSE(RunningHoursAlert("17519", 17520));
  EXPECT_TRUE(RunningHoursAlert("17520abc", 17520));  // the leading number counts
  EXPECT_FALSE(RunningHoursAlert("abc", 1));
  EXPECT_TRUE(RunningHoursAlert("", 0));
  EXPECT_FALSE(RunningHoursAlert("-5", 0));  // signed comparison
  EXPECT_TRUE(RunningHoursAlert("99999999999999", 2147483647));
}

TEST(LeadingNumberTest, ReadsLikeTheCRuntime) {
  EXPECT_EQ(LeadingNumber("  42x"), 42);
  EXPECT_EQ(LeadingNumber("-17"), -17);
  EXPECT_EQ(LeadingNumber("+8"), 8);
  EXPECT_EQ(LeadingNumber("x1"), 0);
  EXPECT_EQ(LeadingNumber("-99999999999"), INT32_MIN);
}

TEST(InstallDateTest, NextChangeIsDatePlusLife) {
  const LocalDateTime before{2010, 3, 31, 23, 0, 0, 0};
  DateRecompute r = RecomputeInstallDate("2008/04/01", 17520, before, true);
  EXPECT_TRUE(r.is_date);
  EXPECT_EQ(r.own_text, "2008/04/01");
  EXPECT_EQ(r.partner_text, "2010/04/01");
  EXPECT_FALSE(r.alert);

  const LocalDateTime after{2010, 4, 1, 0, 0, 1, 0};
  r = RecomputeInstallDate("2008/4/1 13:00", 17520, after, false);
  EXPECT_EQ(r.own_text, "2008/04/01");
  EXPECT_EQ(r.partner_text, "2010/04/01");
  EXPECT_TRUE(r.alert);
}

TEST(InstallDateTest, EmptyClearsTheMarkAndOtherTextKeepsIt) {
  const LocalDateTime now{2026, 1, 1, 0, 0, 0, 0};
  DateRecompute r = RecomputeInstallDate("", 17520, now, true);
  EXPECT_FALSE(r.is_date);
  EXPECT_EQ(r.partner_text, kNoNextChange);
  EXPECT_EQ(r.partner_text.size(), 10u);
  EXPECT_FALSE(r.alert);

  r = RecomputeInstallDate("abc", 17520, now, true);
  EXPECT_FALSE(r.is_date);
  EXPECT_EQ(r.partner_text, kNoNextChange);
  EXPECT_TRUE(r.alert);
  r = RecomputeInstallDate("abc", 17520, now, false);
  EXPECT_FALSE(r.alert);
}

}  // namespace
}  // namespace quillon::gui
