#include "common/settings/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/fakes/failing_store.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"

namespace quillon {
namespace {

constexpr char kRoot[] = "SOFTWARE\\Morvath\\TALVEN";
constexpr char kLife[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\";

std::string Life(const char* group) { return std::string(kLife) + group; }

// Values laid down the way the setup program writes them (texts with their own length plus
// the zero) must be found by the accessors under the same names.
TEST(SettingsTest, ReadsValuesWhereTheSetupProgramPutsThem) {
  MemoryStore store;
  store.SetDword(kRoot, "LimitCheckTimer", 15);
  store.SetDword(kRoot, "StartUpPID", 77);
  store.SetDword(kRoot, "LifeTime", 1234);
  store.SetDword(Life("Limit"), "PSU_S", 40000);
  store.SetDword(Life("Limit"), "RAID07", 26280);
  store.SetDword(Life("LimitPre"), "RAID_L", 8750);
  store.SetDword(Life("SetupDate"), "RAIDCount", 2);
  store.SetDword(Life("RaidConsumables"), "RAID16", 2);
  store.SetDword(Life("NotifyDonePreStop"), "CAIS_FAN", 1);
  store.SetText(kRoot, "InstallDate", "2026/03/04 05:06:07");
  store.SetText(Life("SetupDate"), "RAID09", "2025/12/31");

  uint32_t v = 0;
  EXPECT_EQ(ReadLimitCheckTimer(&store, &v), kOk);
  EXPECT_EQ(v, 15u);
  EXPECT_EQ(ReadStartUpPid(&store, &v), kOk);
  EXPECT_EQ(v, 77u);
  EXPECT_EQ(ReadServerHours(&store, &v), kOk);
  EXPECT_EQ(v, 1234u);
  EXPECT_EQ(ReadLimit(&store, &v, kPsuS), kOk);
  EXPECT_EQ(v, 40000u);
  EXPECT_EQ(ReadRaidLimit(&store, &v, 7), kOk);
  EXPECT_EQ(v, 26280u);
  EXPECT_EQ(ReadLimitPre(&store, &v, kRaidL), kOk);
  EXPECT_EQ(v, 8750u);
  EXPECT_EQ(ReadRaidCount(&store, &v), kOk);
  EXPECT_EQ(v, 2u);
  EXPECT_EQ(ReadRaidConsumables(&store, &v, 16), kOk);
  EXPECT_EQ(v, 2u);
  EXPECT_EQ(ReadNotifyDonePreStop(&store, &v, kNotifyCaisFan), kOk);
  EXPECT_EQ(v, 1u);

  char install[24];
  EXPECT_EQ(ReadInstallDate(&store, install), kOk);
  EXPECT_STREQ(install, "2026/03/04 05:06:07");
  char date[16];
  EXPECT_EQ(ReadSetupDate(&store, date, 9), kOk);
  EXPECT_STREQ(date, "2025/12/31");
}

TEST(SettingsTest, WritersStoreFixedSizeRecordsOfTheRightType) {
  MemoryStore store;
  ASSERT_EQ(WriteStatusLogDate(&store, "2026/01/02"), kOk);
  ASSERT_EQ(WriteAverageTime(&store, "24.0"), kOk);
  ASSERT_EQ(WriteInstallDate(&store, "2026/01/02 03:04:05"), kOk);
  ASSERT_EQ(WriteNotifyDonePre(&store, 1, "2026/02/03", kNotifyRaidFirst + 4), kOk);
  ASSERT_EQ(WriteRaidLimitPre(&store, 4320, 12), kOk);
  ASSERT_EQ(WriteModelType(&store, 1), kOk);

  ValueType type;
  std::string data;
  ASSERT_EQ(store.GetValue(kRoot, "StatusLogDate", &type, &data), kOk);
  EXPECT_EQ(type, ValueType::kSz);
  EXPECT_EQ(data, std::string("2026/01/02\0\0\0\0\0\0", 16));
  ASSERT_EQ(store.GetValue(kRoot, "AverageTime", &type, &data), kOk);
  EXPECT_EQ(data.size(), 8u);
  ASSERT_EQ(store.GetValue(kRoot, "InstallDate", &type, &data), kOk);
  EXPECT_EQ(data.size(), 24u);
  ASSERT_EQ(store.GetValue(Life("NotifyDonePre"), "RAID_DATE05", &type, &data), kOk);
  EXPECT_EQ(data.substr(0, 11), std::string("2026/02/03\0", 11));
  EXPECT_EQ(store.GetDword(Life("NotifyDonePre"), "RAID05"), 1u);
  ASSERT_EQ(store.GetValue(Life("LimitPre"), "RAID12", &type, &data), kOk);
  EXPECT_EQ(type, ValueType::kDword);
  EXPECT_EQ(data, std::string("\xe0\x10\0\0", 4));
  EXPECT_EQ(store.GetDword(kRoot, "ModelType"), 1u);
}

TEST(SettingsTest, FailedReadsKeepThePresetDefaults) {
  MemoryStore store;
  uint32_t timer = 60, pre = 3, days = 30, consumables = 1, limit = 17520;
  EXPECT_NE(ReadLimitCheckTimer(&store, &timer), kOk);
  EXPECT_NE(ReadNotifyDays(&store, &pre, &days), kOk);
  EXPECT_NE(ReadRaidConsumables(&store, &consumables, 3), kOk);
  EXPECT_NE(ReadLimit(&store, &limit, kUps), kOk);
  EXPECT_EQ(timer, 60u);
  EXPECT_EQ(pre, 3u);
  EXPECT_EQ(days, 30u);
  EXPECT_EQ(consumables, 1u);
  EXPECT_EQ(limit, 17520u);

  char average[8] = "--";
  EXPECT_NE(ReadAverageTime(&store, average), kOk);
  EXPECT_STREQ(average, "--");

  // Only one of the pair present: that one is read, the combined status still fails.
  store.SetDword(kRoot, "NotifyDays", 45);
  EXPECT_NE(ReadNotifyDays(&store, &pre, &days), kOk);
  EXPECT_EQ(pre, 3u);
  EXPECT_EQ(days, 45u);
}

TEST(SettingsTest, StoreFailuresAreReportedAndLeaveBuffersUntouched) {
  MemoryStore inner;
  inner.SetText(kRoot, "StatusLogDate", "2026/05/05");
  inner.SetDword(kRoot, "PsuCheck", 2);
  FailingStore store(&inner);
  store.FailAll(kErrorRegistryIo);

  char date[16] = "keep";
  uint32_t psu = 9;
  EXPECT_EQ(ReadStatusLogDate(&store, date), kErrorRegistryIo);
  EXPECT_STREQ(date, "keep");
  EXPECT_EQ(ReadPsuCheck(&store, &psu), kErrorRegistryIo);
  EXPECT_EQ(psu, 9u);
  EXPECT_EQ(WritePsuCheck(&store, 1), kErrorRegistryIo);
  EXPECT_EQ(inner.GetDword(kRoot, "PsuCheck"), 2u);
}

TEST(SettingsTest, ValueOfAnotherTypeReadsAsFailure) {
  MemoryStore store;
  store.SetText(kRoot, "LimitCheckTimer", "15");
  store.SetDword(kRoot, "AverageTime", 12);
  store.SetValue(kRoot, "RunningTime", ValueType::kDword, std::string("\x01\x02", 2));
  store.SetValue(kRoot, "InstallDate", ValueType::kExpandSz, std::string("2026/01/01\0", 11));

  uint32_t timer = 60, running = 7;
  char average[8] = "--";
  char install[24] = "";
  EXPECT_NE(ReadLimitCheckTimer(&store, &timer), kOk);
  EXPECT_EQ(timer, 60u);
  EXPECT_NE(ReadAverageTime(&store, average), kOk);
  EXPECT_STREQ(average, "--");
  EXPECT_NE(ReadRunningTime(&store, &running), kOk);  // a DWORD of the wrong length
  EXPECT_EQ(running, 7u);
  EXPECT_NE(ReadInstallDate(&store, install), kOk);
  EXPECT_STREQ(install, "");
}

TEST(SettingsTest, LongStoredTextsAreCutInsideTheBuffer) {
  MemoryStore store;
  store.SetText(kRoot, "AverageTime", "123456789012");
  store.SetValue(kRoot, "StatusLogDate", ValueType::kSz, std::string(40, 'x'));  // no zero

  char guard[32];
  std::memset(guard, '#', sizeof(guard));
  ASSERT_EQ(ReadAverageTime(&store, guard), kOk);
  EXPECT_STREQ(guard, "1234567");
  EXPECT_EQ(guard[8], '#');  // nothing beyond the 8-byte record

  std::memset(guard, '#', sizeof(guard));
  ASSERT_EQ(ReadStatusLogDate(&store, guard), kOk);
  EXPECT_EQ(std::string(guard), std::string(15, 'x'));
  EXPECT_EQ(guard[16], '#');

  // A caller text longer than the record is cut too, and stays readable.
  ASSERT_EQ(WriteAverageTime(&store, "1234567890"), kOk);
  char average[8];
  ASSERT_EQ(ReadAverageTime(&store, average), kOk);
  EXPECT_STREQ(average, "1234567");
}

TEST(SettingsTest, LanguagePresetFollowsUserLanguageAndStoredValueWins) {
  MemoryStore store;
  FakeSystemInfo system;
  uint32_t language = 7;

  system.user_lang = 0x0411;
  EXPECT_NE(ReadLanguage(&store, &system, &language), kOk);
  EXPECT_EQ(language, 0u);
  system.user_lang = 0x0409;
  EXPECT_NE(ReadLanguage(&store, &system, &language), kOk);
  EXPECT_EQ(language, 1u);

  ASSERT_EQ(WriteLanguage(&store, 0), kOk);
  EXPECT_EQ(ReadLanguage(&store, &system, &language), kOk);
  EXPECT_EQ(language, 0u);
}

TEST(SettingsTest, ServiceLanguageNeedsJapaneseUserAndSystem) {
  FakeSystemInfo system;
  system.user_lang = 0x0411;
  system.system_lang = 0x0411;
  EXPECT_EQ(ServiceLanguage(&system), Language::kJapanese);
  system.system_lang = 0x0409;
  EXPECT_EQ(ServiceLanguage(&system), Language::kEnglish);
  system.user_lang = 0x0409;
  system.system_lang = 0x0411;
  EXPECT_EQ(ServiceLanguage(&system), Language::kEnglish);
  // Only the primary language (low 10 bits) counts.
  system.user_lang = 0x0411 | 0x0400;
  system.system_lang = 0x0011;
  EXPECT_EQ(ServiceLanguage(&system), Language::kJapanese);
}

TEST(SettingsTest, SetupDateIndexOutsideRaidRangeAddressesUps) {
  MemoryStore store;
  store.SetText(Life("SetupDate"), "UPS", "2024/04/01");
  for (int index : {0, 17, 18, -1}) {
    char date[16] = "";
    EXPECT_EQ(ReadSetupDate(&store, date, index), kOk) << index;
    EXPECT_STREQ(date, "2024/04/01") << index;
  }
}

TEST(SettingsTest, NotifyDoneWithMissingDateKeepsCallersDate) {
  MemoryStore store;
  store.SetDword(Life("NotifyDone"), "UPS", 1);
  uint32_t flag = 0;
  char date[16] = "unchanged";
  EXPECT_NE(ReadNotifyDone(&store, &flag, date, kNotifyUps), kOk);
  EXPECT_STREQ(date, "unchanged");

  store.SetText(Life("NotifyDone"), "UPS_DATE", "2026/07/07");
  EXPECT_EQ(ReadNotifyDone(&store, &flag, date, kNotifyUps), kOk);
  EXPECT_EQ(flag, 1u);
  EXPECT_STREQ(date, "2026/07/07");

  // The date alone (no flag) is not copied either.
  store.SetText(Life("NotifyDonePre"), "CPU_FAN_DATE", "2026/08/08");
  EXPECT_NE(ReadNotifyDonePre(&store, &flag, date, kNotifyCpuFan), kOk);
  EXPECT_STREQ(date, "2026/07/07");
}

TEST(SettingsTest, NotifyFlagAndDateAreWrittenTogetherOrNotAtAll) {
  MemoryStore inner;
  FailingStore store(&inner);
  ASSERT_EQ(WriteNotifyDone(&store, 1, "2026/03/04", kNotifyCpuFan), kOk);
  EXPECT_EQ(inner.write_count(), 2);
  // The date cannot be written: the cleared flag is not written either.
  for (const char* failing_name : {"CPU_FAN_DATE", "CPU_FAN"}) {
    store.FailOn("set", failing_name, kErrorTimeout);
    EXPECT_EQ(WriteNotifyDone(&store, 0, "", kNotifyCpuFan), kErrorTimeout);
    EXPECT_EQ(inner.GetDword(Life("NotifyDone"), "CPU_FAN"), 1u);
    EXPECT_EQ(inner.GetText(Life("NotifyDone"), "CPU_FAN_DATE"), "2026/03/04");
  }
  store.FailOn("set", "RAID_DATE03", kErrorAccessDenied);
  EXPECT_EQ(WriteNotifyDonePre(&store, 1, "2026/03/05", kNotifyRaidFirst + 2), kErrorAccessDenied);
  EXPECT_FALSE(inner.HasValue(Life("NotifyDonePre"), "RAID03"));
}

TEST(SettingsTest, NotifyMethodResultIsTheDspStatus) {
  MemoryStore store;
  uint32_t method[2] = {5, 5};
  store.SetDword(Life("NotifyMethod"), "DSP", 1);
  EXPECT_EQ(ReadNotifyMethod(&store, method), kOk);  // LCD missing
  EXPECT_EQ(method[0], 5u);
  EXPECT_EQ(method[1], 1u);

  MemoryStore other;
  other.SetDword(Life("NotifyMethod"), "LCD", 1);
  uint32_t only_lcd[2] = {0, 0};
  EXPECT_NE(ReadNotifyMethod(&other, only_lcd), kOk);
  EXPECT_EQ(only_lcd[0], 1u);  // still attempted

  FailingStore failing(&store);
  failing.FailOn("set", "LCD", kErrorAccessDenied);
  const uint32_t in[2] = {1, 0};
  EXPECT_EQ(WriteNotifyMethod(&failing, in), kOk);
  EXPECT_EQ(store.GetDword(Life("NotifyMethod"), "DSP", 9), 0u);
}

TEST(SettingsTest, SelectedWritesFollowTheMask) {
  MemoryStore store;
  LifetimeRecord rec{};
  rec.current[0] = 10;
  rec.current[1] = 11;
  rec.current[2] = 12;
  std::strcpy(rec.setupDate[3], "2026/04/04");
  std::strcpy(rec.setupDate[16], "2026/05/05");

  const uint8_t none3[3] = {0, 0, 0};
  const uint8_t none17[17] = {};
  EXPECT_EQ(WriteSelectedCurrent(&store, rec, none3), kOk);
  EXPECT_EQ(WriteSelectedSetupDates(&store, rec, none17), kOk);
  EXPECT_EQ(store.write_count(), 0);

  const uint8_t some3[3] = {0, 1, 0};
  uint8_t some17[17] = {};
  some17[3] = 1;
  some17[16] = 1;
  EXPECT_EQ(WriteSelectedCurrent(&store, rec, some3), kOk);
  EXPECT_EQ(WriteSelectedSetupDates(&store, rec, some17), kOk);
  EXPECT_EQ(store.write_count(), 3);
  EXPECT_EQ(store.GetDword(Life("Current"), "PSU"), 11u);
  EXPECT_EQ(store.GetText(Life("SetupDate"), "RAID04"), "2026/04/04");
  EXPECT_EQ(store.GetText(Life("SetupDate"), "UPS"), "2026/05/05");

  // The result is the last write's status: an earlier failure does not show.
  FailingStore failing(&store);
  failing.FailOn("set", "CPU_FAN", kErrorAccessDenied);
  const uint8_t all3[3] = {1, 1, 1};
  EXPECT_EQ(WriteSelectedCurrent(&failing, rec, all3), kOk);
  failing.FailOn("set", "CAIS_FAN", kErrorAccessDenied);
  EXPECT_EQ(WriteSelectedCurrent(&failing, rec, all3), kErrorAccessDenied);
}

TEST(SettingsTest, ReadAllLifetimeReadsInOrderAndContinuesAfterFailures) {
  MemoryStore inner;
  for (const char* kind : {"CPU_FAN", "PSU", "CAIS_FAN"}) inner.SetDword(Life("Current"), kind, 5);
  for (const char* kind : {"CPU_FAN", "PSU", "CAIS_FAN", "UPS", "RAID", "RAID_N"}) {
    inner.SetDword(Life("Limit"), kind, 100);
  }
  inner.SetText(Life("SetupDate"), "UPS", "2026/01/01");
  inner.SetDword(Life("LimitPre"), "RAID", 4320);
  inner.SetDword(Life("Limit"), "RAID16", 26280);
  inner.SetDword(Life("LimitPre"), "RAID16", 4320);

  FailingStore store(&inner);
  std::vector<std::string> reads;
  store.set_rule([&](std::string_view op, std::string_view key, std::string_view name) {
    if (op == "get")
      reads.push_back(std::string(key.substr(key.rfind('\\') + 1)) + "/" + std::string(name));
    return name == "PSU" && key.ends_with("Limit") ? kErrorRegistryIo : kOk;
  });

  LifetimeRecord rec;
  std::memset(&rec, 0x5A, sizeof(rec));
  EXPECT_NE(ReadAllLifetime(&store, &rec), kOk);

  ASSERT_EQ(reads.size(), 3u + 6 + 17 + 5 + 16 + 16);
  EXPECT_EQ(reads[0], "Current/CPU_FAN");
  EXPECT_EQ(reads[3], "Limit/CPU_FAN");
  EXPECT_EQ(reads[9], "SetupDate/RAID01");
  EXPECT_EQ(reads[25], "SetupDate/UPS");
  EXPECT_EQ(reads[26], "LimitPre/CPU_FAN");
  EXPECT_EQ(reads[30], "LimitPre/RAID");
  EXPECT_EQ(reads[31], "Limit/RAID01");
  EXPECT_EQ(reads[47], "LimitPre/RAID01");
  EXPECT_EQ(reads.back(), "LimitPre/RAID16");

  EXPECT_EQ(rec.current[2], 5u);
  EXPECT_EQ(rec.current[3], 0x5A5A5A5Au);   // not part of the bulk read
  EXPECT_EQ(rec.limit[kPsu], 0x5A5A5A5Au);  // failed: kept
  EXPECT_EQ(rec.limit[kRaidN], 100u);
  EXPECT_STREQ(rec.setupDate[16], "2026/01/01");
  EXPECT_EQ(rec.setupDate[0][0], 0x5A);  // missing: kept
  EXPECT_EQ(rec.limitPre[kRaid], 4320u);
  EXPECT_EQ(rec.raidLimit[15], 26280u);
  EXPECT_EQ(rec.raidLimitPre[15], 4320u);
}

TEST(SettingsTest, IndicesOutsideTheirGroupFailWithoutTouchingTheStore) {
  MemoryStore store;
  uint32_t values[8] = {};
  uint32_t v = 3;
  char date[16] = "x";
  EXPECT_NE(ReadCurrent(&store, values, kUps), kOk);
  EXPECT_NE(WriteCurrentStop(&store, 1, kPsuS), kOk);
  EXPECT_NE(ReadLimitPre(&store, &v, kPsuS), kOk);
  EXPECT_NE(WriteLimit(&store, 1, 8), kOk);
  EXPECT_NE(WriteRaidLimit(&store, 1, 0), kOk);
  EXPECT_NE(WriteRaidConsumables(&store, 1, 17), kOk);
  EXPECT_NE(WriteNotifyDone(&store, 1, "2026/01/01", 20), kOk);
  EXPECT_NE(ReadNotifyDonePre(&store, &v, date, -1), kOk);
  EXPECT_EQ(store.write_count(), 0);
  EXPECT_EQ(v, 3u);
}

}  // namespace
}  // namespace quillon
