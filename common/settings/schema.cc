#include "common/settings/schema.h"

namespace quillon {
namespace {

constexpr const char* kPartKindNames[kPartKindCount] = {
    "CPU_FAN", "PSU", "CAIS_FAN", "UPS", "RAID", "RAID_N", "RAID_L", "PSU_S",
};

constexpr const char* kNotifyFlagNames[kNotifyCount] = {
    "CPU_FAN", "RAID01", "RAID02", "RAID03", "RAID04", "RAID05",   "RAID06",
    "RAID07",  "RAID08", "RAID09", "RAID10", "RAID11", "RAID12",   "RAID13",
    "RAID14",  "RAID15", "RAID16", "UPS",    "PSU",    "CAIS_FAN",
};

constexpr const char* kNotifyDateNames[kNotifyCount] = {
    "CPU_FAN_DATE", "RAID_DATE01", "RAID_DATE02", "RAID_DATE03", "RAID_DATE04",
    "RAID_DATE05",  "RAID_DATE06", "RAID_DATE07", "RAID_DATE08", "RAID_DATE09",
    "RAID_DATE10",  "RAID_DATE11", "RAID_DATE12", "RAID_DATE13", "RAID_DATE14",
    "RAID_DATE15",  "RAID_DATE16", "UPS_DATE",    "PSU_DATE",    "CAIS_FAN_DATE",
};

}  // namespace

const char* PartKindName(int kind) {
  return kind >= 0 && kind < kPartKindCount ? kPartKindNames[kind] : nullptr;
}

const char* NotifyFlagName(int index) {
  return index >= 0 && index < kNotifyCount ? kNotifyFlagNames[index] : nullptr;
}

const char* NotifyDateName(int index) {
  return index >= 0 && index < kNotifyCount ? kNotifyDateNames[index] : nullptr;
}

}  // namespace quillon
