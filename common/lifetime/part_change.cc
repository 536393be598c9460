#include "common/lifetime/part_change.h"

#include "common/settings/settings.h"

namespace quillon {

bool ParseDigits(std::string_view text, uint32_t lower, uint32_t upper, uint32_t* value) {
  if (text.empty()) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
    // Stop before the 64-bit sum could wrap: anything this large is out of every range.
    if (v > UINT32_MAX) return false;
  }
  if (v < lower || v > upper) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

bool ConfirmOffered(Store* store, const LifetimeRecord& rec, int slot, uint32_t raid_count) {
  if (slot < 0 || slot >= kNotifyCount) return false;
  const int kind = CounterKindOfSlot(slot);
  // The monitored test comes first, so a part that is not monitored reads no flags.
  if (kind >= 0 ? rec.limit[kind] == 0 : !SlotFitted(slot, raid_count)) return false;
  uint32_t done = 0, pre = 0, stop = 0;
  char date[kDateTextSize] = {};
  ReadNotifyDone(store, &done, date, slot);
  ReadNotifyDonePre(store, &pre, date, slot);
  if (kind >= 0) ReadCurrentStop(store, &stop, kind);
  return pre != 0 && done == 0 && stop == 0;
}

int64_t ReadSupportHours(Store* store) {
  uint32_t years = 0;
  ReadSupportLimit(store, &years);
  return SupportPeriodHours(years);
}

bool WriteSupportStopIfDue(Store* store, int kind, uint32_t limit, uint32_t hours,
                           uint32_t server_hours, int64_t support_hours) {
  if (limit == 0 || hours != 0 || !EndsAfterSupport(limit, 0, server_hours, support_hours))
    return false;
  WriteCurrentStop(store, 1, kind);
  return true;
}

Status WriteReplacedParts(Store* store, const LifetimeRecord& rec, const uint8_t running_mask[3],
                          const uint8_t date_mask[17]) {
  const Status current = WriteSelectedCurrent(store, rec, running_mask);
  const Status dates = WriteSelectedSetupDates(store, rec, date_mask);
  return current | dates;
}

}  // namespace quillon
