#ifndef QUILLON_COMMON_SETTINGS_SCHEMA_H_
#define QUILLON_COMMON_SETTINGS_SCHEMA_H_

#include <cstddef>
#include <cstdint>

namespace quillon {

// Keys of the settings store, below HKEY_LOCAL_MACHINE.
inline constexpr char kRootKey[] = "SOFTWARE\\Morvath\\TALVEN";
inline constexpr char kLifeTimeKey[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime";
inline constexpr char kCurrentKey[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\Current";
inline constexpr char kCurrentStopKey[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\CurrentStop";
inline constexpr char kLimitKey[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\Limit";
inline constexpr char kLimitPreKey[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\LimitPre";
inline constexpr char kSetupDateKey[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\SetupDate";
inline constexpr char kNotifyDoneKey[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\NotifyDone";
inline constexpr char kNotifyDonePreKey[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\NotifyDonePre";
inline constexpr char kNotifyDonePreStopKey[] =
    "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\NotifyDonePreStop";
inline constexpr char kNotifyMethodKey[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\NotifyMethod";
inline constexpr char kRaidConsumablesKey[] =
    "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\RaidConsumables";
inline constexpr char kCurrentDisplayItemKey[] =
    "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\CurrentDisplayItem";
inline constexpr char kQrtvmonKey[] = "SOFTWARE\\Morvath\\QRTVmon";

// Registry type codes as the accessors pass them.
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegDword = 4;

// PartKind: the component kinds naming the values of the Limit and LimitPre groups.
enum PartKind : int {
  kCpuFan = 0,
  kPsu = 1,
  kCaisFan = 2,
  kUps = 3,
  kRaid = 4,
  kRaidN = 5,
  kRaidL = 6,
  kPsuS = 7,
};
inline constexpr int kPartKindCount = 8;

// NotifyIndex: the 20 notified items. 1-16 are RAID01-RAID16.
enum NotifyIndex : int {
  kNotifyCpuFan = 0,
  kNotifyRaidFirst = 1,
  kNotifyRaidLast = 16,
  kNotifyUps = 17,
  kNotifyPsu = 18,
  kNotifyCaisFan = 19,
};
inline constexpr int kNotifyCount = 20;
inline constexpr int kMaxRaid = 16;

// Fixed text buffer sizes of the stored texts.
inline constexpr size_t kDateTextSize = 16;         // SetupDate, NotifyDone dates, StatusLogDate
inline constexpr size_t kAverageTextSize = 8;       // AverageTime
inline constexpr size_t kInstallDateTextSize = 24;  // InstallDate

// The bulk-read record: 117 unsigned 32-bit slots, 468 bytes, in this order. Its fields carry
// the names of the stored values they hold (SetupDate, LimitPre, ...), hence their case.
// NOLINTBEGIN(readability-identifier-naming)
struct LifetimeRecord {
  char setupDate[17][16];     // 0-15 SetupDate RAID01-RAID16, 16 SetupDate UPS
  uint32_t current[6];        // by PartKind 0-5; 0-2 filled by the bulk read
  uint32_t limit[6];          // Limit CPU_FAN ... RAID_N
  uint32_t limitPre[5];       // LimitPre CPU_FAN ... RAID
  uint32_t raidLimit[16];     // Limit RAID01-RAID16
  uint32_t raidLimitPre[16];  // LimitPre RAID01-RAID16
};
// NOLINTEND(readability-identifier-naming)
static_assert(sizeof(LifetimeRecord) == 468, "LifetimeRecord must be 117 slots");

// Value name of a PartKind ("CPU_FAN" ... "PSU_S"); nullptr outside 0-7.
const char* PartKindName(int kind);
// Flag value name of a NotifyIndex ("CPU_FAN", "RAID01".."RAID16", "UPS", "PSU", "CAIS_FAN").
const char* NotifyFlagName(int index);
// Date value name of a NotifyIndex ("CPU_FAN_DATE", "RAID_DATE01".., "UPS_DATE", ...).
const char* NotifyDateName(int index);

}  // namespace quillon

#endif  // QUILLON_COMMON_SETTINGS_SCHEMA_H_
