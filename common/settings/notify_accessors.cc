// Accessors of the notification groups and the RAID battery classes.
#include "common/settings/accessor_helpers.h"
#include "common/settings/settings.h"

namespace quillon {

using settings_internal::DwordBytes;
using settings_internal::RaidName;
using settings_internal::ReadDword;
using settings_internal::ReadText;
using settings_internal::TextRecord;
using settings_internal::WriteDword;

namespace {

// The flag is read straight into the caller's variable; the date only reaches the caller when
// both reads succeeded, so a half-stored notice never shows a stale flag with a fresh date.
Status ReadFlagAndDate(Store* store, const char* key, uint32_t* flag, char* date, int index) {
  const char* flag_name = NotifyFlagName(index);
  const char* date_name = NotifyDateName(index);
  if (flag_name == nullptr || date == nullptr) return kErrorInvalidParameter;
  Status s = ReadDword(store, key, flag_name, flag);
  char buffer[kDateTextSize];
  Status d = ReadText(store, key, date_name, buffer, sizeof(buffer));
  if (s == kOk && d == kOk) {
    for (size_t i = 0; i < kDateTextSize; ++i) date[i] = buffer[i];
  }
  return s | d;
}

// A flag and its date are one fact: both are written in one transaction, so that neither a
// busy store nor the death of the process can leave a flag without its date (or the reverse).
Status WriteFlagAndDate(Store* store, const char* key, uint32_t flag, const char* date, int index) {
  const char* flag_name = NotifyFlagName(index);
  const char* date_name = NotifyDateName(index);
  if (store == nullptr || flag_name == nullptr || date == nullptr) return kErrorInvalidParameter;
  const std::string flag_bytes = DwordBytes(flag);
  const std::string date_record = TextRecord(date, kDateTextSize);
  const StoreWrite pair[] = {{key, flag_name, ValueType::kDword, flag_bytes},
                             {key, date_name, ValueType::kSz, date_record}};
  return store->SetValues(pair);
}

}  // namespace

Status ReadNotifyDone(Store* store, uint32_t* flag, char* date, int index) {
  return ReadFlagAndDate(store, kNotifyDoneKey, flag, date, index);
}

Status WriteNotifyDone(Store* store, uint32_t flag, const char* date, int index) {
  return WriteFlagAndDate(store, kNotifyDoneKey, flag, date, index);
}

Status ReadNotifyDonePre(Store* store, uint32_t* flag, char* date, int index) {
  return ReadFlagAndDate(store, kNotifyDonePreKey, flag, date, index);
}

Status WriteNotifyDonePre(Store* store, uint32_t flag, const char* date, int index) {
  return WriteFlagAndDate(store, kNotifyDonePreKey, flag, date, index);
}

Status ReadNotifyDonePreStop(Store* store, uint32_t* value, int index) {
  const char* name = NotifyFlagName(index);
  if (name == nullptr) return kErrorInvalidParameter;
  return ReadDword(store, kNotifyDonePreStopKey, name, value);
}

Status WriteNotifyDonePreStop(Store* store, uint32_t value, int index) {
  const char* name = NotifyFlagName(index);
  if (name == nullptr) return kErrorInvalidParameter;
  return WriteDword(store, kNotifyDonePreStopKey, name, value);
}

// Only DSP decides whether notices reach the screen, so its status is the result; LCD is
// still attempted.
Status ReadNotifyMethod(Store* store, uint32_t values[2]) {
  if (values == nullptr) return kErrorInvalidParameter;
  ReadDword(store, kNotifyMethodKey, "LCD", &values[0]);
  return ReadDword(store, kNotifyMethodKey, "DSP", &values[1]);
}

Status WriteNotifyMethod(Store* store, const uint32_t values[2]) {
  if (values == nullptr) return kErrorInvalidParameter;
  WriteDword(store, kNotifyMethodKey, "LCD", values[0]);
  return WriteDword(store, kNotifyMethodKey, "DSP", values[1]);
}

Status ReadRaidConsumables(Store* store, uint32_t* value, int n) {
  char name[16];
  if (!RaidName("RAID", n, name, sizeof(name))) return kErrorInvalidParameter;
  return ReadDword(store, kRaidConsumablesKey, name, value);
}

Status WriteRaidConsumables(Store* store, uint32_t value, int n) {
  char name[16];
  if (!RaidName("RAID", n, name, sizeof(name))) return kErrorInvalidParameter;
  return WriteDword(store, kRaidConsumablesKey, name, value);
}

}  // namespace quillon
