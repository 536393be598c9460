#include "common/init/initializer.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/init/setup_ini.h"
#include "common/settings/schema.h"
#include "common/settings/settings.h"

namespace quillon {
namespace {

constexpr uint32_t kLimitCheckMinutes = 60;
constexpr uint32_t kNoDisplayItem = 0xFFFFFFFFu;

// "RAID" or "RAID_DATE" followed by the two-digit controller number.
std::string ControllerName(const char* stem, int n) {
  char name[16];
  std::snprintf(name, sizeof(name), "%s%02u", stem, static_cast<unsigned>(n));
  return name;
}

// Writes the values of one key group and ORs their statuses, as the setup run judges a group
// by all of its writes together.
class GroupWriter {
 public:
  GroupWriter(Store* store, const char* key) : store_(store), key_(key) {}

  void Dword(std::string_view name, uint32_t value) {
    char bytes[4];
    std::memcpy(bytes, &value, sizeof(bytes));  // the store keeps DWORDs little-endian
    status_ |= store_->SetValue(key_, name, ValueType::kDword, std::string_view(bytes, 4));
  }

  // A text is stored with its terminating zero, so an empty text is the single zero byte.
  void Text(std::string_view name, std::string_view text) {
    std::string data(text);
    data.push_back('\0');
    status_ |= store_->SetValue(key_, name, ValueType::kSz, data);
  }

  // Values that must survive a re-installation (InstallDate, RunningTime) are written only
  // when the store says they are missing. Any other answer of the store counts as a failure
  // of the group: writing then could destroy the very value that must be kept.
  void DwordIfMissing(std::string_view name, uint32_t value) {
    if (Missing(name)) Dword(name, value);
  }
  void TextIfMissing(std::string_view name, std::string_view text) {
    if (Missing(name)) Text(name, text);
  }

  Status status() const { return status_; }

 private:
  bool Missing(std::string_view name) {
    ValueType type;
    std::string data;
    const Status s = store_->GetValue(key_, name, &type, &data);
    if (s == kErrorNotFound) return true;
    status_ |= s;
    return false;
  }

  Store* store_;
  const char* key_;
  Status status_ = kOk;
};

class Initializer {
 public:
  Initializer(Store* store, Language language, std::string temp_directory,
              const SetupIniValues& ini, InitMode mode)
      : store_(store),
        language_(language),
        temp_directory_(std::move(temp_directory)),
        ini_(ini),
        setup_(mode == InitMode::kSetup) {}

  Status Run() {
    using Group = Status (Initializer::*)();
    static constexpr Group kGroups[] = {
        &Initializer::Root,          &Initializer::LimitPre,
        &Initializer::Limit,         &Initializer::Current,
        &Initializer::CurrentStop,   &Initializer::RaidConsumables,
        &Initializer::SetupDate,     &Initializer::NotifyDone,
        &Initializer::NotifyDonePre, &Initializer::NotifyDonePreStop,
        &Initializer::NotifyMethod,  &Initializer::DisplayItem,
    };
    // The application-path registration of the Windows product has no counterpart here.
    for (Group group : kGroups) {
      const Status s = (this->*group)();
      if (setup_ && s != kOk) return s;
    }
    return kOk;
  }

 private:
  // Opens the group's key the way the mode asks. Setup mode first looks whether the key
  // exists and creates it only when it does not (*is_new then true); reset mode creates or
  // opens it in one step (*is_new true: everything is written). A status other than 0 means
  // the key could not be had, and the group ends with it.
  Status Open(const char* key, bool* is_new) {
    if (setup_) {
      const Status exists = store_->KeyExists(key);
      if (exists == kOk) {
        *is_new = false;
        return kOk;
      }
      // A store that cannot even tell whether the key exists must not be taken for an empty
      // one: creating and filling the key then would wipe the operator's data.
      if (exists != kErrorNotFound) return exists;
    }
    *is_new = true;
    return store_->CreateKey(key);
  }

  Status Root() {
    bool is_new = false;
    if (Status s = Open(kRootKey, &is_new)) return s;
    GroupWriter w(store_, kRootKey);
    if (is_new) {
      w.Text("MachineID", "");
      w.Text("ModelName", "");
      w.Dword("Language", static_cast<uint32_t>(language_));
      if (setup_) w.Dword("LifeTime", 0);
    }
    w.Text("TempDir", temp_directory_);
    if (!setup_) w.Dword("LifeTime", 0);
    w.Dword("KoriEnable", 0);
    w.Dword("SupportLimit", ini_.support_years);
    w.Text("V/L", ini_.version);
    w.Dword("PsuCheck", ini_.psu_check);
    if (ini_.psu_check != 0) w.Dword("PsuMonitor", 0);
    w.Dword("LimitCheckTimer", kLimitCheckMinutes);
    w.Text("AverageTime", "0.0");
    w.Text("StatusLogDate", "");
    w.TextIfMissing("InstallDate", "");
    w.DwordIfMissing("RunningTime", 0);
    w.Dword("NotifyDays", ini_.notify_days);
    w.Dword("NotifyDaysPre", ini_.notify_days_pre);
    w.Dword("ModelType", 0);
    return w.status();
  }

  Status LimitPre() {
    bool is_new = false;
    if (Status s = Open(kLimitPreKey, &is_new)) return s;
    GroupWriter w(store_, kLimitPreKey);
    // A new installation gives every controller the RAID lead; an existing key keeps the
    // leads the service set when it found each controller.
    if (setup_ && is_new) WriteControllers(&w, ini_.lead_raid);
    w.Dword("UPS", ini_.lead_ups);
    w.Dword("CPU_FAN", ini_.lead_cpu_fan);
    w.Dword("CAIS_FAN", ini_.lead_cais_fan);
    w.Dword("PSU", ini_.lead_psu);
    w.Dword("RAID", ini_.lead_raid);
    w.Dword("RAID_N", ini_.lead_raid_n);
    w.Dword("RAID_L", ini_.lead_raid_l);
    if (!setup_) WriteControllers(&w, 0);
    return w.status();
  }

  Status Limit() {
    bool is_new = false;
    if (Status s = Open(kLimitKey, &is_new)) return s;
    GroupWriter w(store_, kLimitKey);
    if (setup_ && is_new) WriteControllers(&w, ini_.limit_raid);
    w.Dword("CPU_FAN", ini_.limit_cpu_fan);
    w.Dword("CAIS_FAN", ini_.limit_cais_fan);
    w.Dword("PSU", ini_.limit_psu);
    w.Dword("UPS", ini_.limit_ups);
    w.Dword("RAID", ini_.limit_raid);
    w.Dword("RAID_N", ini_.limit_raid_n);
    w.Dword("RAID_L", ini_.limit_raid_l);
    if (!setup_) WriteControllers(&w, 0);
    if (ini_.psu_check != 0) w.Dword("PSU_S", ini_.psu_s_limit);
    return w.status();
  }

  Status Current() {
    bool is_new = false;
    if (Status s = Open(kCurrentKey, &is_new)) return s;
    if (!is_new) return kOk;
    GroupWriter w(store_, kCurrentKey);
    WritePartZeros(&w);
    return w.status();
  }

  Status CurrentStop() {
    if (Status s = store_->CreateKey(kCurrentStopKey)) return s;
    GroupWriter w(store_, kCurrentStopKey);
    WritePartZeros(&w);
    return w.status();
  }

  Status RaidConsumables() {
    bool is_new = false;
    if (Status s = Open(kRaidConsumablesKey, &is_new)) return s;
    if (!is_new) return kOk;
    GroupWriter w(store_, kRaidConsumablesKey);
    WriteControllers(&w, 0);
    return w.status();
  }

  Status SetupDate() {
    bool is_new = false;
    if (Status s = Open(kSetupDateKey, &is_new)) return s;
    if (!is_new) return kOk;
    GroupWriter w(store_, kSetupDateKey);
    w.Dword("RAIDCount", 0);
    w.Text("UPS", "");
    for (int n = 1; n <= kMaxRaid; ++n) w.Text(ControllerName("RAID", n), "");
    return w.status();
  }

  Status NotifyDone() { return ClearNotifications(kNotifyDoneKey); }
  Status NotifyDonePre() { return ClearNotifications(kNotifyDonePreKey); }

  Status NotifyDonePreStop() {
    if (Status s = store_->CreateKey(kNotifyDonePreStopKey)) return s;
    GroupWriter w(store_, kNotifyDonePreStopKey);
    w.Dword("CPU_FAN", 0);
    w.Dword("CAIS_FAN", 0);
    w.Dword("PSU", 0);
    w.Dword("UPS", 0);
    WriteControllers(&w, 0);
    return w.status();
  }

  Status NotifyMethod() {
    bool is_new = false;
    if (Status s = Open(kNotifyMethodKey, &is_new)) return s;
    if (!is_new) return kOk;
    GroupWriter w(store_, kNotifyMethodKey);
    w.Dword("LCD", 0);
    w.Dword("LED", 0);
    w.Dword("DSP", 1);
    return w.status();
  }

  Status DisplayItem() {
    bool is_new = false;
    if (Status s = Open(kCurrentDisplayItemKey, &is_new)) return s;
    if (!is_new) return kOk;
    GroupWriter w(store_, kCurrentDisplayItemKey);
    w.Dword("ItemNo", kNoDisplayItem);
    return w.status();
  }

  // The flags and dates of one notification group, cleared in both modes.
  Status ClearNotifications(const char* key) {
    if (Status s = store_->CreateKey(key)) return s;
    GroupWriter w(store_, key);
    w.Dword("CPU_FAN", 0);
    w.Dword("CAIS_FAN", 0);
    w.Dword("PSU", 0);
    w.Dword("UPS", 0);
    w.Text("CPU_FAN_DATE", "");
    w.Text("CAIS_FAN_DATE", "");
    w.Text("PSU_DATE", "");
    w.Text("UPS_DATE", "");
    for (int n = 1; n <= kMaxRaid; ++n) {
      w.Dword(ControllerName("RAID", n), 0);
      w.Text(ControllerName("RAID_DATE", n), "");
    }
    return w.status();
  }

  static void WritePartZeros(GroupWriter* w) {
    w->Dword("CPU_FAN", 0);
    w->Dword("CAIS_FAN", 0);
    w->Dword("PSU", 0);
  }

  static void WriteControllers(GroupWriter* w, uint32_t value) {
    for (int n = 1; n <= kMaxRaid; ++n) w->Dword(ControllerName("RAID", n), value);
  }

  Store* store_;
  const Language language_;
  const std::string temp_directory_;
  const SetupIniValues& ini_;
  const bool setup_;
};

}  // namespace

Status InitializeDefaults(Store* store, SystemInfo* system, const std::string& program_directory,
                          const std::string& temp_directory, InitMode mode) {
  const SetupIniValues ini = ReadSetupIni(program_directory + kSetupIniName);
  Initializer initializer(store, ServiceLanguage(system), temp_directory, ini, mode);
  return initializer.Run();
}

std::string TempDirectoryFor(const std::string& program_directory) {
  // The temporary directory uses the program directory's own separator.
  const char separator = program_directory.empty() ? '/' : program_directory.back();
  return program_directory + "Temp" + separator;
}

}  // namespace quillon
