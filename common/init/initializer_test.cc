#include "common/init/initializer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/init/test_support.h"
#include "common/settings/schema.h"
#include "platform/fakes/failing_store.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::string Raid(const char* stem, int n) {
  char name[16];
  std::snprintf(name, sizeof(name), "%s%02d", stem, n);
  return name;
}

class InitializerTest : public ::testing::Test {
 protected:
  Status SetupMode() { return Run(&store_, InitMode::kSetup); }
  Status ResetMode() { return Run(&store_, InitMode::kReset); }
  Status Run(Store* store, InitMode mode) {
    return InitializeDefaults(store, &system_, dir_.path(), TempDirectoryFor(dir_.path()), mode);
  }

  // The operator's data after some years of service.
  void AddOperatorData() {
    store_.SetText(kRootKey, "InstallDate", "2020/01/02 03:04:05");
    store_.SetDword(kRootKey, "RunningTime", 1234);
    store_.SetDword(kRootKey, "LifeTime", 5000);
    store_.SetDword(kRootKey, "Language", 0);
    store_.SetText(kRootKey, "MachineID", "M-1");
    store_.SetText(kRootKey, "ModelName", "Model 7");
    store_.SetText(kRootKey, "AverageTime", "12.5");
    store_.SetText(kRootKey, "StatusLogDate", "2024/01/01");
    store_.SetDword(kRootKey, "KoriEnable", 1);
    store_.SetDword(kRootKey, "ModelType", 2);
    store_.SetDword(kSetupDateKey, "RAIDCount", 2);
    store_.SetText(kSetupDateKey, "RAID01", "2021/01/01");
    store_.SetText(kSetupDateKey, "UPS", "2022/02/02");
    store_.SetDword(kNotifyMethodKey, "DSP", 0);
    store_.SetDword(kLimitKey, "RAID01", 999);
    store_.SetDword(kLimitPreKey, "RAID01", 111);
    store_.SetDword(kLimitKey, "UPS", 1);
    store_.SetDword(kCurrentKey, "CPU_FAN", 777);
    store_.SetDword(kCurrentStopKey, "PSU", 1);
    store_.SetDword(kRaidConsumablesKey, "RAID01", 2);
    store_.SetDword(kNotifyDoneKey, "RAID01", 1);
    store_.SetText(kNotifyDoneKey, "RAID_DATE01", "2024/03/03");
    store_.SetDword(kNotifyDonePreKey, "UPS", 1);
    store_.SetText(kNotifyDonePreKey, "UPS_DATE", "2024/04/04");
    store_.SetDword(kNotifyDonePreStopKey, "CPU_FAN", 1);
    store_.SetDword(kCurrentDisplayItemKey, "ItemNo", 3);
  }

  TempProgramDir dir_;
  MemoryStore store_;
  FakeSystemInfo system_;
};

TEST_F(InitializerTest, SetupOnAFreshStoreWithoutIniWritesEveryDefault) {
  ASSERT_EQ(SetupMode(), kOk);

  EXPECT_EQ(store_.GetText(kRootKey, "MachineID"), "");
  EXPECT_EQ(store_.GetText(kRootKey, "ModelName"), "");
  EXPECT_EQ(store_.GetDword(kRootKey, "Language", 99), 1u);
  EXPECT_EQ(store_.GetText(kRootKey, "TempDir"), dir_.path() + "Temp/");
  EXPECT_EQ(store_.GetDword(kRootKey, "LifeTime", 99), 0u);
  EXPECT_EQ(store_.GetDword(kRootKey, "KoriEnable", 99), 0u);
  EXPECT_EQ(store_.GetDword(kRootKey, "SupportLimit"), 5u);
  EXPECT_EQ(store_.GetText(kRootKey, "V/L"), "N/A");
  EXPECT_EQ(store_.GetDword(kRootKey, "PsuCheck", 99), 0u);
  EXPECT_FALSE(store_.HasValue(kRootKey, "PsuMonitor"));
  EXPECT_EQ(store_.GetDword(kRootKey, "LimitCheckTimer"), 60u);
  EXPECT_EQ(store_.GetText(kRootKey, "AverageTime"), "0.0");
  EXPECT_EQ(store_.GetText(kRootKey, "StatusLogDate"), "");
  EXPECT_EQ(store_.GetText(kRootKey, "InstallDate"), "");
  EXPECT_EQ(store_.GetDword(kRootKey, "RunningTime", 99), 0u);
  EXPECT_EQ(store_.GetDword(kRootKey, "NotifyDays"), 30u);
  EXPECT_EQ(store_.GetDword(kRootKey, "NotifyDaysPre"), 3u);
  EXPECT_EQ(store_.GetDword(kRootKey, "ModelType", 99), 0u);

  EXPECT_EQ(store_.GetDword(kLimitKey, "UPS"), 17520u);
  EXPECT_EQ(store_.GetDword(kLimitKey, "RAID"), 26280u);
  EXPECT_EQ(store_.GetDword(kLimitKey, "RAID_N"), 26280u);
  EXPECT_EQ(store_.GetDword(kLimitKey, "RAID_L"), 21900u);
  for (const char* name : {"CPU_FAN", "CAIS_FAN", "PSU"}) {
    EXPECT_EQ(store_.GetDword(kLimitKey, name, 99), 0u) << name;
    EXPECT_EQ(store_.GetDword(kLimitPreKey, name), 8750u) << name;
    EXPECT_EQ(store_.GetDword(kCurrentKey, name, 99), 0u) << name;
    EXPECT_EQ(store_.GetDword(kCurrentStopKey, name, 99), 0u) << name;
  }
  EXPECT_FALSE(store_.HasValue(kLimitKey, "PSU_S"));
  EXPECT_EQ(store_.GetDword(kLimitPreKey, "UPS"), 2160u);
  EXPECT_EQ(store_.GetDword(kLimitPreKey, "RAID"), 4320u);
  EXPECT_EQ(store_.GetDword(kLimitPreKey, "RAID_N"), 8750u);
  EXPECT_EQ(store_.GetDword(kLimitPreKey, "RAID_L"), 8750u);
  for (int n = 1; n <= kMaxRaid; ++n) {
    EXPECT_EQ(store_.GetDword(kLimitKey, Raid("RAID", n)), 26280u) << n;
    EXPECT_EQ(store_.GetDword(kLimitPreKey, Raid("RAID", n)), 4320u) << n;
    EXPECT_EQ(store_.GetDword(kRaidConsumablesKey, Raid("RAID", n), 99), 0u) << n;
    EXPECT_EQ(store_.GetText(kSetupDateKey, Raid("RAID", n)), "") << n;
    EXPECT_EQ(store_.GetDword(kNotifyDoneKey, Raid("RAID", n), 99), 0u) << n;
    EXPECT_EQ(store_.GetText(kNotifyDonePreKey, Raid("RAID_DATE", n)), "") << n;
    EXPECT_EQ(store_.GetDword(kNotifyDonePreStopKey, Raid("RAID", n), 99), 0u) << n;
  }
  EXPECT_EQ(store_.GetDword(kSetupDateKey, "RAIDCount", 99), 0u);
  EXPECT_EQ(store_.GetText(kSetupDateKey, "UPS"), "");
  EXPECT_EQ(store_.GetDword(kNotifyMethodKey, "LCD", 99), 0u);
  EXPECT_EQ(store_.GetDword(kNotifyMethodKey, "LED", 99), 0u);
  EXPECT_EQ(store_.GetDword(kNotifyMethodKey, "DSP"), 1u);
  EXPECT_EQ(store_.GetDword(kCurrentDisplayItemKey, "ItemNo"), 4294967295u);

  // Types and exact bytes: an empty text is the single terminating zero, DWORDs 4 bytes.
  ValueType type;
  std::string data;
  ASSERT_EQ(store_.GetValue(kSetupDateKey, "UPS", &type, &data), kOk);
  EXPECT_EQ(type, ValueType::kSz);
  EXPECT_EQ(data, std::string(1, '\0'));
  ASSERT_EQ(store_.GetValue(kRootKey, "V/L", &type, &data), kOk);
  EXPECT_EQ(data, std::string("N/A", 4));
  ASSERT_EQ(store_.GetValue(kLimitKey, "RAID", &type, &data), kOk);
  EXPECT_EQ(type, ValueType::kDword);
  EXPECT_EQ(data, std::string("\xa8\x66\0\0", 4));  // 26280 little-endian
}

TEST_F(InitializerTest, SetupTakesEveryValueFromTheIni) {
  dir_.WriteIni(
      "[SUPPORT]\nYEARS=7\n[VERSION]\nVL=V5.1 L13-03\n[PSUCHK]\nPSU_CHK=1\nPSU_S=43800\n"
      "[NOTIFY]\nDAYS_LMT=14\nDAYS_PRE=2\n[LIMITPRE]\nUPS_BBU=1\nCPU_FAN=2\nCAIS_FAN=3\nPSU=4\n"
      "RAID_BBU=5\nRAID_NICD=6\nRAID_LION=7\n[LIMIT]\nCPU_FAN=11\nCAIS_FAN=12\nPSU=13\n"
      "UPS_BBU=14\nRAID_BBU=15\nRAID_NICD=16\nRAID_LION=17\n");
  ASSERT_EQ(SetupMode(), kOk);
  EXPECT_EQ(store_.GetDword(kRootKey, "SupportLimit"), 7u);
  EXPECT_EQ(store_.GetText(kRootKey, "V/L"), "V5.1 L13-03");
  EXPECT_EQ(store_.GetDword(kRootKey, "PsuCheck"), 1u);
  EXPECT_EQ(store_.GetDword(kRootKey, "PsuMonitor", 99), 0u);
  EXPECT_EQ(store_.GetDword(kLimitKey, "PSU_S"), 43800u);
  EXPECT_EQ(store_.GetDword(kRootKey, "NotifyDays"), 14u);
  EXPECT_EQ(store_.GetDword(kRootKey, "NotifyDaysPre"), 2u);
  const std::vector<std::pair<const char*, uint32_t>> leads = {
      {"UPS", 1},  {"CPU_FAN", 2}, {"CAIS_FAN", 3}, {"PSU", 4},
      {"RAID", 5}, {"RAID_N", 6},  {"RAID_L", 7},   {"RAID16", 5}};
  for (const auto& [name, value] : leads) {
    EXPECT_EQ(store_.GetDword(kLimitPreKey, name), value) << name;
  }
  const std::vector<std::pair<const char*, uint32_t>> limits = {
      {"CPU_FAN", 11}, {"CAIS_FAN", 12}, {"PSU", 13},    {"UPS", 14},
      {"RAID", 15},    {"RAID_N", 16},   {"RAID_L", 17}, {"RAID01", 15}};
  for (const auto& [name, value] : limits) {
    EXPECT_EQ(store_.GetDword(kLimitKey, name), value) << name;
  }
}

TEST_F(InitializerTest, SetupOverOperatorDataKeepsItAndClearsTheFlags) {
  ASSERT_EQ(SetupMode(), kOk);
  AddOperatorData();
  dir_.WriteIni("[LIMIT]\nUPS_BBU=20000\nRAID_BBU=30000\n[LIMITPRE]\nRAID_BBU=5000\n");
  system_.user_lang = 0x0411;
  system_.system_lang = 0x0411;  // would give Language 0, but the kept value is used
  store_.SetDword(kRootKey, "Language", 1);

  ASSERT_EQ(SetupMode(), kOk);

  // Kept.
  EXPECT_EQ(store_.GetText(kRootKey, "InstallDate"), "2020/01/02 03:04:05");
  EXPECT_EQ(store_.GetDword(kRootKey, "RunningTime"), 1234u);
  EXPECT_EQ(store_.GetDword(kRootKey, "LifeTime"), 5000u);
  EXPECT_EQ(store_.GetDword(kRootKey, "Language"), 1u);
  EXPECT_EQ(store_.GetText(kRootKey, "MachineID"), "M-1");
  EXPECT_EQ(store_.GetText(kRootKey, "ModelName"), "Model 7");
  EXPECT_EQ(store_.GetDword(kSetupDateKey, "RAIDCount"), 2u);
  EXPECT_EQ(store_.GetText(kSetupDateKey, "RAID01"), "2021/01/01");
  EXPECT_EQ(store_.GetText(kSetupDateKey, "UPS"), "2022/02/02");
  EXPECT_EQ(store_.GetDword(kNotifyMethodKey, "DSP", 99), 0u);
  EXPECT_EQ(store_.GetDword(kLimitKey, "RAID01"), 999u);
  EXPECT_EQ(store_.GetDword(kLimitPreKey, "RAID01"), 111u);
  EXPECT_EQ(store_.GetDword(kLimitKey, "RAID02"), 26280u);  // from the first installation
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN"), 777u);
  EXPECT_EQ(store_.GetDword(kRaidConsumablesKey, "RAID01"), 2u);
  EXPECT_EQ(store_.GetDword(kCurrentDisplayItemKey, "ItemNo"), 3u);
  // Cleared.
  EXPECT_EQ(store_.GetDword(kNotifyDoneKey, "RAID01", 99), 0u);
  EXPECT_EQ(store_.GetText(kNotifyDoneKey, "RAID_DATE01"), "");
  EXPECT_EQ(store_.GetDword(kNotifyDonePreKey, "UPS", 99), 0u);
  EXPECT_EQ(store_.GetText(kNotifyDonePreKey, "UPS_DATE"), "");
  EXPECT_EQ(store_.GetDword(kNotifyDonePreStopKey, "CPU_FAN", 99), 0u);
  EXPECT_EQ(store_.GetDword(kCurrentStopKey, "PSU", 99), 0u);
  // Rewritten from the INI or as fixed values.
  EXPECT_EQ(store_.GetDword(kLimitKey, "UPS"), 20000u);
  EXPECT_EQ(store_.GetDword(kLimitKey, "RAID"), 30000u);
  EXPECT_EQ(store_.GetDword(kLimitPreKey, "RAID"), 5000u);
  EXPECT_EQ(store_.GetText(kRootKey, "AverageTime"), "0.0");
  EXPECT_EQ(store_.GetText(kRootKey, "StatusLogDate"), "");
  EXPECT_EQ(store_.GetDword(kRootKey, "KoriEnable", 99), 0u);
  EXPECT_EQ(store_.GetDword(kRootKey, "ModelType", 99), 0u);
}

TEST_F(InitializerTest, ResetOverwritesEverythingButInstallDateAndRunningTime) {
  ASSERT_EQ(SetupMode(), kOk);
  AddOperatorData();
  system_.user_lang = 0x0411;
  system_.system_lang = 0x0411;

  ASSERT_EQ(ResetMode(), kOk);

  EXPECT_EQ(store_.GetText(kRootKey, "InstallDate"), "2020/01/02 03:04:05");
  EXPECT_EQ(store_.GetDword(kRootKey, "RunningTime"), 1234u);
  EXPECT_EQ(store_.GetDword(kRootKey, "LifeTime", 99), 0u);
  EXPECT_EQ(store_.GetDword(kRootKey, "Language", 99), 0u);
  EXPECT_EQ(store_.GetText(kRootKey, "MachineID"), "");
  EXPECT_EQ(store_.GetText(kRootKey, "ModelName"), "");
  for (int n = 1; n <= kMaxRaid; ++n) {
    EXPECT_EQ(store_.GetDword(kLimitKey, Raid("RAID", n), 99), 0u) << n;
    EXPECT_EQ(store_.GetDword(kLimitPreKey, Raid("RAID", n), 99), 0u) << n;
  }
  EXPECT_EQ(store_.GetDword(kLimitKey, "UPS"), 17520u);
  EXPECT_EQ(store_.GetDword(kNotifyMethodKey, "LCD", 99), 0u);
  EXPECT_EQ(store_.GetDword(kNotifyMethodKey, "LED", 99), 0u);
  EXPECT_EQ(store_.GetDword(kNotifyMethodKey, "DSP"), 1u);
  EXPECT_EQ(store_.GetDword(kSetupDateKey, "RAIDCount", 99), 0u);
  EXPECT_EQ(store_.GetText(kSetupDateKey, "RAID01"), "");
  EXPECT_EQ(store_.GetText(kSetupDateKey, "UPS"), "");
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN", 99), 0u);
  EXPECT_EQ(store_.GetDword(kRaidConsumablesKey, "RAID01", 99), 0u);
  EXPECT_EQ(store_.GetDword(kNotifyDoneKey, "RAID01", 99), 0u);
  EXPECT_EQ(store_.GetDword(kNotifyDonePreStopKey, "CPU_FAN", 99), 0u);
  EXPECT_EQ(store_.GetDword(kCurrentDisplayItemKey, "ItemNo"), 4294967295u);
  EXPECT_EQ(store_.GetText(kRootKey, "AverageTime"), "0.0");
}

TEST_F(InitializerTest, ResetOnAFreshStoreWritesInstallDateAndRunningTime) {
  ASSERT_EQ(ResetMode(), kOk);
  EXPECT_EQ(store_.GetText(kRootKey, "InstallDate"), "");
  EXPECT_EQ(store_.GetDword(kRootKey, "RunningTime", 99), 0u);
  EXPECT_EQ(store_.GetDword(kLimitKey, "RAID01", 99), 0u);
}

TEST_F(InitializerTest, LanguageIsJapaneseOnlyWhenUserAndSystemAreJapanese) {
  struct Case {
    uint16_t user, system;
    uint32_t language;
  };
  for (const Case& c : {Case{0x0411, 0x0409, 1}, Case{0x0409, 0x0411, 1}, Case{0x0411, 0x0411, 0},
                        Case{0x0409, 0x0409, 1}}) {
    MemoryStore store;
    system_.user_lang = c.user;
    system_.system_lang = c.system;
    ASSERT_EQ(Run(&store, InitMode::kSetup), kOk);
    EXPECT_EQ(store.GetDword(kRootKey, "Language", 99), c.language)
        << std::hex << c.user << "/" << c.system;
  }
}

// Every store call in order, as "op key name" with the key shortened below LifeTime.
class RecordingStore {
 public:
  RecordingStore() : failing_(&inner_) {
    failing_.set_rule([this](std::string_view op, std::string_view key, std::string_view name) {
      std::string k(key);
      const std::string prefix = std::string(kLifeTimeKey) + "\\";
      if (k.rfind(prefix, 0) == 0) k = k.substr(prefix.size());
      if (k == kRootKey) k = "root";
      calls_.push_back(std::string(op) + " " + k + (name.empty() ? "" : " " + std::string(name)));
      return fail_ ? fail_(op, key, name) : kOk;
    });
  }
  Store* store() { return &failing_; }
  MemoryStore* inner() { return &inner_; }
  std::vector<std::string> calls() const { return calls_; }
  std::vector<std::string> writes_to(const std::string& key) const {
    std::vector<std::string> out;
    const std::string prefix = "set " + key + " ";
    for (const std::string& c : calls_) {
      if (c.rfind(prefix, 0) == 0) out.push_back(c.substr(prefix.size()));
    }
    return out;
  }
  void clear() { calls_.clear(); }
  void fail(FailingStore::Rule rule) { fail_ = std::move(rule); }

 private:
  MemoryStore inner_;
  FailingStore failing_;
  FailingStore::Rule fail_;
  std::vector<std::string> calls_;
};

std::vector<std::string> Controllers(const char* stem) {
  std::vector<std::string> out;
  for (int n = 1; n <= kMaxRaid; ++n) out.push_back(Raid(stem, n));
  return out;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(InitializerTest, SetupOnAFreshStoreWritesGroupsAndValuesInOrder) {
  RecordingStore rec;
  dir_.WriteIni("[PSUCHK]\nPSU_CHK=1\n");
  ASSERT_EQ(Run(rec.store(), InitMode::kSetup), kOk);

  // Groups: the first call on each key, in order.
  std::vector<std::string> keys;
  for (const std::string& c : rec.calls()) {
    const std::string key =
        c.substr(c.find(' ') + 1, c.find(' ', c.find(' ') + 1) - c.find(' ') - 1);
    if (keys.empty() || keys.back() != key) keys.push_back(key);
  }
  EXPECT_THAT(keys, ElementsAre("root", "LimitPre", "Limit", "Current", "CurrentStop",
                                "RaidConsumables", "SetupDate", "NotifyDone", "NotifyDonePre",
                                "NotifyDonePreStop", "NotifyMethod", "CurrentDisplayItem"));

  EXPECT_THAT(rec.writes_to("root"),
              ElementsAre("MachineID", "ModelName", "Language", "LifeTime", "TempDir", "KoriEnable",
                          "SupportLimit", "V/L", "PsuCheck", "PsuMonitor", "LimitCheckTimer",
                          "AverageTime", "StatusLogDate", "InstallDate", "RunningTime",
                          "NotifyDays", "NotifyDaysPre", "ModelType"));
  EXPECT_THAT(rec.writes_to("LimitPre"),
              ElementsAreArray(Concat(Controllers("RAID"), {"UPS", "CPU_FAN", "CAIS_FAN", "PSU",
                                                            "RAID", "RAID_N", "RAID_L"})));
  EXPECT_THAT(
      rec.writes_to("Limit"),
      ElementsAreArray(Concat(Concat(Controllers("RAID"), {"CPU_FAN", "CAIS_FAN", "PSU", "UPS",
                                                           "RAID", "RAID_N", "RAID_L"}),
                              {"PSU_S"})));
  EXPECT_THAT(rec.writes_to("Current"), ElementsAre("CPU_FAN", "CAIS_FAN", "PSU"));
  EXPECT_THAT(rec.writes_to("CurrentStop"), ElementsAre("CPU_FAN", "CAIS_FAN", "PSU"));
  EXPECT_THAT(rec.writes_to("RaidConsumables"), ElementsAreArray(Controllers("RAID")));
  EXPECT_THAT(rec.writes_to("SetupDate"),
              ElementsAreArray(Concat({"RAIDCount", "UPS"}, Controllers("RAID"))));
  std::vector<std::string> notify = {"CPU_FAN",      "CAIS_FAN",      "PSU",      "UPS",
                                     "CPU_FAN_DATE", "CAIS_FAN_DATE", "PSU_DATE", "UPS_DATE"};
  for (int n = 1; n <= kMaxRaid; ++n) {
    notify.push_back(Raid("RAID", n));
    notify.push_back(Raid("RAID_DATE", n));
  }
  EXPECT_THAT(rec.writes_to("NotifyDone"), ElementsAreArray(notify));
  EXPECT_THAT(rec.writes_to("NotifyDonePre"), ElementsAreArray(notify));
  EXPECT_THAT(rec.writes_to("NotifyDonePreStop"),
              ElementsAreArray(Concat({"CPU_FAN", "CAIS_FAN", "PSU", "UPS"}, Controllers("RAID"))));
  EXPECT_THAT(rec.writes_to("NotifyMethod"), ElementsAre("LCD", "LED", "DSP"));
  EXPECT_THAT(rec.writes_to("CurrentDisplayItem"), ElementsAre("ItemNo"));
}

TEST_F(InitializerTest, ResetWritesRootAndLimitsInOrder) {
  RecordingStore rec;
  ASSERT_EQ(Run(rec.store(), InitMode::kReset), kOk);
  EXPECT_THAT(rec.writes_to("root"),
              ElementsAre("MachineID", "ModelName", "Language", "TempDir", "LifeTime", "KoriEnable",
                          "SupportLimit", "V/L", "PsuCheck", "LimitCheckTimer", "AverageTime",
                          "StatusLogDate", "InstallDate", "RunningTime", "NotifyDays",
                          "NotifyDaysPre", "ModelType"));
  EXPECT_THAT(
      rec.writes_to("Limit"),
      ElementsAreArray(Concat({"CPU_FAN", "CAIS_FAN", "PSU", "UPS", "RAID", "RAID_N", "RAID_L"},
                              Controllers("RAID"))));
  EXPECT_THAT(
      rec.writes_to("LimitPre"),
      ElementsAreArray(Concat({"UPS", "CPU_FAN", "CAIS_FAN", "PSU", "RAID", "RAID_N", "RAID_L"},
                              Controllers("RAID"))));
}

TEST_F(InitializerTest, SetupOverExistingKeysWritesNothingToTheOnlyWhenNewGroups) {
  RecordingStore rec;
  ASSERT_EQ(Run(rec.store(), InitMode::kSetup), kOk);
  rec.clear();
  ASSERT_EQ(Run(rec.store(), InitMode::kSetup), kOk);
  for (const char* key :
       {"Current", "RaidConsumables", "SetupDate", "NotifyMethod", "CurrentDisplayItem"}) {
    EXPECT_THAT(rec.writes_to(key), ElementsAre()) << key;
  }
  EXPECT_THAT(rec.writes_to("LimitPre"),
              ElementsAre("UPS", "CPU_FAN", "CAIS_FAN", "PSU", "RAID", "RAID_N", "RAID_L"));
  EXPECT_EQ(rec.writes_to("root").front(), "TempDir");
}

TEST_F(InitializerTest, SetupStopsAtTheFirstFailingGroupWithItsStatus) {
  RecordingStore rec;
  rec.fail([](std::string_view op, std::string_view, std::string_view name) -> Status {
    return op == "set" && name == "RAID_DATE05" ? kErrorWriteFault : kOk;
  });
  EXPECT_EQ(Run(rec.store(), InitMode::kSetup), kErrorWriteFault);
  // NotifyDone fails (its later values still attempted); NotifyDonePre and after untouched.
  EXPECT_EQ(rec.writes_to("NotifyDone").back(), "RAID_DATE16");
  EXPECT_THAT(rec.writes_to("NotifyDonePre"), ElementsAre());
  EXPECT_FALSE(rec.inner()->HasValue(kNotifyMethodKey, "DSP"));
  EXPECT_TRUE(rec.inner()->HasValue(kSetupDateKey, "RAIDCount"));
}

TEST_F(InitializerTest, SetupFailureStatusesOfOneGroupAreCombined) {
  RecordingStore rec;
  rec.fail([](std::string_view op, std::string_view, std::string_view name) -> Status {
    if (op != "set") return kOk;
    if (name == "KoriEnable") return 0x10;
    if (name == "ModelType") return 0x01;
    return kOk;
  });
  EXPECT_EQ(Run(rec.store(), InitMode::kSetup), 0x11u);
  EXPECT_FALSE(rec.inner()->KeyExists(kLimitPreKey) == kOk);
}

TEST_F(InitializerTest, SetupEndsWithTheStatusOfAFailedCreate) {
  RecordingStore rec;
  rec.fail([](std::string_view op, std::string_view key, std::string_view) -> Status {
    return op == "create" && key == kCurrentStopKey ? kErrorAccessDenied : kOk;
  });
  EXPECT_EQ(Run(rec.store(), InitMode::kSetup), kErrorAccessDenied);
  EXPECT_TRUE(rec.inner()->HasValue(kCurrentKey, "PSU"));
  EXPECT_FALSE(rec.inner()->HasValue(kRaidConsumablesKey, "RAID01"));
}

TEST_F(InitializerTest, SetupWithAStoreThatCannotTellWhetherAKeyExistsKeepsTheData) {
  ASSERT_EQ(SetupMode(), kOk);
  AddOperatorData();
  FailingStore failing(&store_);
  failing.set_rule([](std::string_view op, std::string_view key, std::string_view) -> Status {
    return op == "exists" && key == kSetupDateKey ? kErrorRegistryIo : kOk;
  });
  EXPECT_EQ(Run(&failing, InitMode::kSetup), kErrorRegistryIo);
  EXPECT_EQ(store_.GetDword(kSetupDateKey, "RAIDCount"), 2u);
  EXPECT_EQ(store_.GetText(kSetupDateKey, "RAID01"), "2021/01/01");
}

TEST_F(InitializerTest, AnUnreadableInstallDateIsNeitherOverwrittenNorTakenForSuccess) {
  ASSERT_EQ(SetupMode(), kOk);
  AddOperatorData();
  FailingStore failing(&store_);
  failing.FailOn("get", "InstallDate", kErrorRegistryCorrupt);
  EXPECT_EQ(Run(&failing, InitMode::kSetup), kErrorRegistryCorrupt);
  EXPECT_EQ(store_.GetText(kRootKey, "InstallDate"), "2020/01/02 03:04:05");
}

TEST_F(InitializerTest, ResetIgnoresFailuresAndSkipsOnlyTheGroupThatCannotBeCreated) {
  RecordingStore rec;
  rec.fail([](std::string_view op, std::string_view key, std::string_view name) -> Status {
    if (op == "create" && key == kSetupDateKey) return kErrorAccessDenied;
    if (op == "set" && name == "DSP") return kErrorWriteFault;
    return kOk;
  });
  EXPECT_EQ(Run(rec.store(), InitMode::kReset), kOk);
  EXPECT_THAT(rec.writes_to("SetupDate"), ElementsAre());
  EXPECT_TRUE(rec.inner()->HasValue(kNotifyDoneKey, "RAID_DATE16"));
  EXPECT_EQ(rec.inner()->GetDword(kCurrentDisplayItemKey, "ItemNo"), 4294967295u);
}

TEST_F(InitializerTest, AStoreThatFailsEverythingFailsSetupButNotReset) {
  MemoryStore inner;
  FailingStore failing(&inner);
  failing.FailAll(kErrorAccessDenied);
  EXPECT_EQ(Run(&failing, InitMode::kSetup), kErrorAccessDenied);
  EXPECT_EQ(Run(&failing, InitMode::kReset), kOk);
}

TEST(TempDirectoryTest, FollowsTheProgramDirectorysSeparator) {
  EXPECT_EQ(TempDirectoryFor("/opt/quillon/bin/"), "/opt/quillon/bin/Temp/");
  EXPECT_EQ(TempDirectoryFor("C:\\App\\"), "C:\\App\\Temp\\");
}

}  // namespace
}  // namespace quillon
