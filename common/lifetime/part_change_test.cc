#include "common/lifetime/part_change.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/fakes/failing_store.h"
#include "platform/fakes/memory_store.h"

namespace quillon {
namespace {

TEST(DigitsTest, AcceptsOnlyDigitsWithinTheBounds) {
  uint32_t v = 77;
  EXPECT_TRUE(ParseDigits("0", 0, 99999, &v));
  EXPECT_EQ(v, 0u);
  EXPECT_TRUE(ParseDigits("99999", 0, 99999, &v));
  EXPECT_EQ(v, 99999u);
  EXPECT_TRUE(ParseDigits("00042", 0, 99999, &v));
  EXPECT_EQ(v, 42u);

  v = 77;
  for (const char* bad :
       {"12a", "", "100000", " 1", "1 ", "-1", "+1", "1.5", "４２", "99999999999999999999999"}) {
    EXPECT_FALSE(ParseDigits(bad, 0, 99999, &v)) << bad;
    EXPECT_FALSE(ParseRunningHours(bad, &v)) << bad;
    EXPECT_EQ(v, 77u) << bad;
  }
  EXPECT_FALSE(ParseDigits("4", 5, 10, &v));
  // Values past 32 bits must not wrap into the range.
  EXPECT_FALSE(ParseDigits("4294967296", 0, 9999999, &v));
  EXPECT_TRUE(ParseDigits("4294967295", 0, UINT32_MAX, &v));
  EXPECT_EQ(v, UINT32_MAX);
  EXPECT_TRUE(ParseRunningHours("99999", &v));
  EXPECT_EQ(v, kCounterCap);
}

class PartChangeTest : public ::testing::Test {
 protected:
  PartChangeTest() {
    rec_.limit[kCpuFan] = 17520;
    rec_.limit[kPsu] = 43800;
    rec_.limit[kCaisFan] = 0;  // not monitored
  }
  MemoryStore store_;
  LifetimeRecord rec_{};
};

TEST_F(PartChangeTest, ConfirmIsOfferedOnlyAfterAPreWarningForAMonitoredPart) {
  for (const char* name : {"CPU_FAN", "PSU", "CAIS_FAN", "RAID01", "RAID03", "UPS"})
    store_.SetDword(kNotifyDonePreKey, name, 1);
  store_.SetDword(kNotifyDoneKey, "RAID01", 1);  // past its life
  store_.SetDword(kCurrentStopKey, "PSU", 1);    // notices stopped
  EXPECT_TRUE(ConfirmOffered(&store_, rec_, kNotifyCpuFan, 2));
  EXPECT_FALSE(ConfirmOffered(&store_, rec_, kNotifyPsu, 2));
  EXPECT_FALSE(ConfirmOffered(&store_, rec_, kNotifyCaisFan, 2));  // limit 0
  EXPECT_FALSE(ConfirmOffered(&store_, rec_, 1, 2));
  EXPECT_FALSE(ConfirmOffered(&store_, rec_, 3, 2));  // beyond the RAID count
  EXPECT_TRUE(ConfirmOffered(&store_, rec_, 3, 3));
  EXPECT_TRUE(ConfirmOffered(&store_, rec_, kNotifyUps, 0));  // the UPS is always fitted
  EXPECT_FALSE(ConfirmOffered(&store_, rec_, 2, 2));          // no pre-warning
  EXPECT_FALSE(ConfirmOffered(&store_, rec_, -1, 2));
  EXPECT_FALSE(ConfirmOffered(&store_, rec_, kNotifyCount, 2));
}

TEST_F(PartChangeTest, SupportStopOnlyForAResetWhoseLifeEndsAfterThePeriod) {
  const int64_t period = ReadSupportHours(&store_);  // nothing stored: five years
  EXPECT_EQ(period, 43800);
  // 17520 + 26280 = 43800 ends with the period: no stop.
  EXPECT_FALSE(WriteSupportStopIfDue(&store_, kCpuFan, 17520, 0, 26280, period));
  EXPECT_FALSE(WriteSupportStopIfDue(&store_, kCpuFan, 17520, 1, 26281, period));  // not reset
  EXPECT_FALSE(WriteSupportStopIfDue(&store_, kCpuFan, 0, 0, 99999, period));      // no life
  EXPECT_FALSE(store_.HasValue(kCurrentStopKey, "CPU_FAN"));
  EXPECT_TRUE(WriteSupportStopIfDue(&store_, kCpuFan, 17520, 0, 26281, period));
  EXPECT_EQ(store_.GetDword(kCurrentStopKey, "CPU_FAN", 9), 1u);
  store_.SetDword(kRootKey, "SupportLimit", 10);
  EXPECT_EQ(ReadSupportHours(&store_), 87600);
}

TEST_F(PartChangeTest, ReplacedPartsWriteOnlyTheFlaggedRowsAndOrTheStatuses) {
  rec_.current[kCpuFan] = 0;
  rec_.current[kPsu] = 5;
  std::strcpy(rec_.setupDate[16], "2026/12/01");
  std::strcpy(rec_.setupDate[0], "2026/12/02");
  const uint8_t running_mask[3] = {1, 0, 0};
  const uint8_t date_mask[17] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  ASSERT_EQ(WriteReplacedParts(&store_, rec_, running_mask, date_mask), kOk);
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN", 9), 0u);
  EXPECT_FALSE(store_.HasValue(kCurrentKey, "PSU"));
  EXPECT_EQ(store_.GetText(kSetupDateKey, "UPS"), "2026/12/01");
  EXPECT_FALSE(store_.HasValue(kSetupDateKey, "RAID01"));

  // A failing counter write does not keep the dates from being written.
  FailingStore failing(&store_);
  failing.FailOn("set", "CPU_FAN", kErrorAccessDenied);
  std::strcpy(rec_.setupDate[16], "2027/01/01");
  EXPECT_EQ(WriteReplacedParts(&failing, rec_, running_mask, date_mask), kErrorAccessDenied);
  EXPECT_EQ(store_.GetText(kSetupDateKey, "UPS"), "2027/01/01");
}

}  // namespace
}  // namespace quillon
