// The accessors on the real store: a SQLite database file, written by one store object and
// read back by a second one on the same file, as the GUI and the service share it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "common/settings/settings.h"
#include "platform/platform.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

class SettingsSqliteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    dir_ = temp_.path();
  }
  std::string db() const { return dir_ + "/registry.db"; }

  TempDir temp_{"quillon-settings-"};
  std::string dir_;
};

TEST_F(SettingsSqliteTest, BulkReadSeesWhatAnotherConnectionWrote) {
  {
    auto writer = NewStore(db());
    uint32_t current[3] = {11, 22, 33};
    for (int kind = 0; kind < 3; ++kind) ASSERT_EQ(WriteCurrent(writer.get(), current, kind), kOk);
    ASSERT_EQ(WriteLimit(writer.get(), 26280, kRaidN), kOk);
    ASSERT_EQ(WriteRaidLimitPre(writer.get(), 4320, 16), kOk);
    ASSERT_EQ(WriteSetupDate(writer.get(), "2026/06/30", 0), kOk);  // UPS
    ASSERT_EQ(WriteNotifyDone(writer.get(), 1, "2026/07/01", kNotifyPsu), kOk);
  }
  auto reader = NewStore(db());
  LifetimeRecord rec;
  std::memset(&rec, 0, sizeof(rec));
  EXPECT_NE(ReadAllLifetime(reader.get(), &rec), kOk);  // most values were never written
  EXPECT_EQ(rec.current[0], 11u);
  EXPECT_EQ(rec.current[2], 33u);
  EXPECT_EQ(rec.limit[kRaidN], 26280u);
  EXPECT_EQ(rec.raidLimitPre[15], 4320u);
  EXPECT_STREQ(rec.setupDate[16], "2026/06/30");

  uint32_t flag = 0;
  char date[16] = "";
  EXPECT_EQ(ReadNotifyDone(reader.get(), &flag, date, kNotifyPsu), kOk);
  EXPECT_EQ(flag, 1u);
  EXPECT_STREQ(date, "2026/07/01");
}

TEST_F(SettingsSqliteTest, TypeAndLengthRulesHoldOnTheRealStore) {
  auto store = NewStore(db());
  ASSERT_EQ(store->SetValue(kRootKey, "LimitCheckTimer", ValueType::kSz, std::string("15\0", 3)),
            kOk);
  ASSERT_EQ(store->SetValue(kRootKey, "AverageTime", ValueType::kSz, "123456789"), kOk);
  uint32_t timer = 60;
  EXPECT_NE(ReadLimitCheckTimer(store.get(), &timer), kOk);
  EXPECT_EQ(timer, 60u);
  char average[8];
  EXPECT_EQ(ReadAverageTime(store.get(), average), kOk);
  EXPECT_STREQ(average, "1234567");
}

TEST_F(SettingsSqliteTest, UnusableDatabaseFailsEveryAccessWithoutTouchingCallers) {
  // A directory where the database file should be: the store can never open it.
  std::filesystem::create_directory(db());
  auto store = NewStore(db());
  uint32_t days = 30, pre = 3;
  char date[16] = "keep";
  EXPECT_NE(ReadNotifyDays(store.get(), &pre, &days), kOk);
  EXPECT_NE(ReadStatusLogDate(store.get(), date), kOk);
  EXPECT_NE(WriteRunningTime(store.get(), 5), kOk);
  EXPECT_EQ(days, 30u);
  EXPECT_EQ(pre, 3u);
  EXPECT_STREQ(date, "keep");
}

}  // namespace
}  // namespace quillon
