// Accessors of the counted kinds, the limits, the setup dates and the bulk read.
#include <cstring>

#include "common/settings/accessor_helpers.h"
#include "common/settings/settings.h"

namespace quillon {

using settings_internal::RaidName;
using settings_internal::ReadDword;
using settings_internal::ReadText;
using settings_internal::WriteDword;
using settings_internal::WriteText;

namespace {

// Current and CurrentStop exist only for the three hour-counted kinds.
const char* CountedKindName(int kind) {
  return kind >= kCpuFan && kind <= kCaisFan ? PartKindName(kind) : nullptr;
}

// LimitPre has no PSU_S value.
const char* LimitPreName(int kind) { return kind == kPsuS ? nullptr : PartKindName(kind); }

// Setup-date index 1-16 names a RAID battery; every other index is the UPS.
void SetupDateName(int index, char* out, size_t size) {
  if (!RaidName("RAID", index, out, size)) std::strcpy(out, "UPS");
}

}  // namespace

Status ReadCurrent(Store* store, uint32_t* values, int kind) {
  const char* name = CountedKindName(kind);
  if (name == nullptr || values == nullptr) return kErrorInvalidParameter;
  return ReadDword(store, kCurrentKey, name, &values[kind]);
}

Status WriteCurrent(Store* store, const uint32_t* values, int kind) {
  const char* name = CountedKindName(kind);
  if (name == nullptr || values == nullptr) return kErrorInvalidParameter;
  return WriteDword(store, kCurrentKey, name, values[kind]);
}

Status WriteSelectedCurrent(Store* store, const LifetimeRecord& rec, const uint8_t mask[3]) {
  Status last = kOk;
  for (int kind = kCpuFan; kind <= kCaisFan; ++kind) {
    if (mask[kind] != 0) last = WriteCurrent(store, rec.current, kind);
  }
  return last;
}

Status ReadCurrentStop(Store* store, uint32_t* value, int kind) {
  const char* name = CountedKindName(kind);
  if (name == nullptr) return kErrorInvalidParameter;
  return ReadDword(store, kCurrentStopKey, name, value);
}

Status WriteCurrentStop(Store* store, uint32_t value, int kind) {
  const char* name = CountedKindName(kind);
  if (name == nullptr) return kErrorInvalidParameter;
  return WriteDword(store, kCurrentStopKey, name, value);
}

Status ReadLimit(Store* store, uint32_t* value, int kind) {
  const char* name = PartKindName(kind);
  if (name == nullptr) return kErrorInvalidParameter;
  return ReadDword(store, kLimitKey, name, value);
}

Status WriteLimit(Store* store, uint32_t value, int kind) {
  const char* name = PartKindName(kind);
  if (name == nullptr) return kErrorInvalidParameter;
  return WriteDword(store, kLimitKey, name, value);
}

Status ReadLimitPre(Store* store, uint32_t* value, int kind) {
  const char* name = LimitPreName(kind);
  if (name == nullptr) return kErrorInvalidParameter;
  return ReadDword(store, kLimitPreKey, name, value);
}

Status ReadRaidLimit(Store* store, uint32_t* value, int n) {
  char name[16];
  if (!RaidName("RAID", n, name, sizeof(name))) return kErrorInvalidParameter;
  return ReadDword(store, kLimitKey, name, value);
}

Status WriteRaidLimit(Store* store, uint32_t value, int n) {
  char name[16];
  if (!RaidName("RAID", n, name, sizeof(name))) return kErrorInvalidParameter;
  return WriteDword(store, kLimitKey, name, value);
}

Status ReadRaidLimitPre(Store* store, uint32_t* value, int n) {
  char name[16];
  if (!RaidName("RAID", n, name, sizeof(name))) return kErrorInvalidParameter;
  return ReadDword(store, kLimitPreKey, name, value);
}

Status WriteRaidLimitPre(Store* store, uint32_t value, int n) {
  char name[16];
  if (!RaidName("RAID", n, name, sizeof(name))) return kErrorInvalidParameter;
  return WriteDword(store, kLimitPreKey, name, value);
}

Status ReadSetupDate(Store* store, char* text, int index) {
  char name[16];
  SetupDateName(index, name, sizeof(name));
  return ReadText(store, kSetupDateKey, name, text, kDateTextSize);
}

Status WriteSetupDate(Store* store, const char* text, int index) {
  char name[16];
  SetupDateName(index, name, sizeof(name));
  return WriteText(store, kSetupDateKey, name, text, kDateTextSize);
}

Status WriteSelectedSetupDates(Store* store, const LifetimeRecord& rec, const uint8_t mask[17]) {
  Status last = kOk;
  for (int i = 0; i < 17; ++i) {
    if (mask[i] != 0) last = WriteSetupDate(store, rec.setupDate[i], i + 1);
  }
  return last;
}

Status ReadRaidCount(Store* store, uint32_t* out) {
  return ReadDword(store, kSetupDateKey, "RAIDCount", out);
}

Status WriteRaidCount(Store* store, uint32_t in) {
  return WriteDword(store, kSetupDateKey, "RAIDCount", in);
}

Status ReadAllLifetime(Store* store, LifetimeRecord* rec) {
  if (rec == nullptr) return kErrorInvalidParameter;
  // Every read is attempted even after a failure, so one missing value never hides the rest;
  // a failed slot keeps what the caller had in it.
  Status all = kOk;
  for (int kind = kCpuFan; kind <= kCaisFan; ++kind) all |= ReadCurrent(store, rec->current, kind);
  for (int kind = kCpuFan; kind <= kRaidN; ++kind) all |= ReadLimit(store, &rec->limit[kind], kind);
  for (int i = 1; i <= 17; ++i) all |= ReadSetupDate(store, rec->setupDate[i - 1], i);
  for (int kind = kCpuFan; kind <= kRaid; ++kind) {
    all |= ReadLimitPre(store, &rec->limitPre[kind], kind);
  }
  for (int n = 1; n <= kMaxRaid; ++n) all |= ReadRaidLimit(store, &rec->raidLimit[n - 1], n);
  for (int n = 1; n <= kMaxRaid; ++n) all |= ReadRaidLimitPre(store, &rec->raidLimitPre[n - 1], n);
  return all;
}

}  // namespace quillon
