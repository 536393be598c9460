#include "common/lifetime/slot_rules.h"

#include <cmath>

#include "common/lifetime/stored_dates.h"

namespace quillon {
namespace {

// A small allowance added to the remaining hours before they are cut to a whole number, so
// that a remaining time of a whole number of hours does not lose an hour to rounding noise.
constexpr double kRemainingEpsilon = 5.787037037037037e-6;
constexpr int64_t kHoursPerYear = 8760;
constexpr int64_t kDefaultSupportHours = 43800;  // five years

const char* SetupDateOf(const LifetimeRecord& rec, int slot) {
  const int row = SetupDateRowOfSlot(slot);
  return row < 0 ? nullptr : rec.setupDate[row];
}

}  // namespace

int SetupDateRowOfSlot(int slot) {
  if (slot >= kNotifyRaidFirst && slot <= kNotifyRaidLast) return slot - 1;
  return slot == kNotifyUps ? 16 : -1;
}

bool SlotFitted(int slot, uint32_t raid_count) {
  return slot < kNotifyRaidFirst || slot > kNotifyRaidLast ||
         static_cast<uint32_t>(slot) <= raid_count;
}

int CounterKindOfSlot(int slot) {
  switch (slot) {
    case kNotifyCpuFan:
      return kCpuFan;
    case kNotifyPsu:
      return kPsu;
    case kNotifyCaisFan:
      return kCaisFan;
    default:
      return -1;
  }
}

bool SlotLimits(const LifetimeRecord& rec, int slot, uint32_t* limit, uint32_t* lead) {
  const int kind = CounterKindOfSlot(slot);
  if (kind >= 0) {
    *limit = rec.limit[kind];
    *lead = rec.limitPre[kind];
    return true;
  }
  if (slot >= kNotifyRaidFirst && slot <= kNotifyRaidLast) {
    *limit = rec.raidLimit[slot - 1];
    *lead = rec.raidLimitPre[slot - 1];
    return true;
  }
  if (slot == kNotifyUps) {
    *limit = rec.limit[kUps];
    *lead = rec.limitPre[kUps];
    return true;
  }
  return false;
}

bool SlotSetupDay(const LifetimeRecord& rec, int slot, double* day) {
  const char* text = SetupDateOf(rec, slot);
  return text != nullptr && ParseDateText(text, sizeof(rec.setupDate[0]), day);
}

double DateRemainingHours(double next_change, double now) {
  return (next_change - now) * 24.0 + kRemainingEpsilon;
}

double PreWarningStartDay(double next_change, uint32_t lead) {
  return next_change - (lead + 1.0 - kRemainingEpsilon) / 24.0;
}

bool SlotMonitored(const LifetimeRecord& rec, int slot) {
  const int kind = CounterKindOfSlot(slot);
  if (kind >= 0) return rec.limit[kind] != 0;
  double setup = 0;
  return SlotSetupDay(rec, slot, &setup);
}

bool LimitReached(const LifetimeRecord& rec, int slot, double now) {
  const int kind = CounterKindOfSlot(slot);
  if (kind >= 0) {
    const uint32_t limit = rec.limit[kind];
    return limit != 0 && rec.current[kind] >= limit;
  }
  uint32_t limit = 0, lead = 0;
  double setup = 0;
  if (!SlotLimits(rec, slot, &limit, &lead) || !SlotSetupDay(rec, slot, &setup)) return false;
  return NextChangeDay(setup, limit) < now;
}

bool InPreWarningWindow(const LifetimeRecord& rec, int slot, double now,
                        uint32_t* remaining_hours) {
  const int kind = CounterKindOfSlot(slot);
  if (kind >= 0) {
    const uint32_t limit = rec.limit[kind];
    const uint32_t counter = rec.current[kind];
    if (limit == 0 || limit - rec.limitPre[kind] > counter || counter >= limit) return false;
    *remaining_hours = limit - counter;
    return true;
  }
  uint32_t limit = 0, lead = 0;
  double setup = 0;
  if (!SlotLimits(rec, slot, &limit, &lead) || !SlotSetupDay(rec, slot, &setup)) return false;
  const double hours = DateRemainingHours(NextChangeDay(setup, limit), now);
  if (!(hours >= 1.0) || hours >= 4294967296.0) return false;
  const uint32_t remaining = static_cast<uint32_t>(std::trunc(hours));
  if (remaining > lead) return false;
  *remaining_hours = remaining;
  return true;
}

bool RemainingHours(const LifetimeRecord& rec, int slot, double now, int64_t* hours) {
  const int kind = CounterKindOfSlot(slot);
  if (kind >= 0) {
    if (rec.limit[kind] == 0) return false;
    *hours = int64_t{rec.limit[kind]} - rec.current[kind];
    return true;
  }
  uint32_t limit = 0, lead = 0;
  double setup = 0;
  if (!SlotLimits(rec, slot, &limit, &lead) || !SlotSetupDay(rec, slot, &setup)) return false;
  *hours = static_cast<int64_t>(std::trunc(DateRemainingHours(NextChangeDay(setup, limit), now)));
  return true;
}

int64_t SupportPeriodHours(uint32_t support_years) {
  return support_years == 0 ? kDefaultSupportHours : int64_t{support_years} * kHoursPerYear;
}

bool EndsAfterSupport(uint32_t limit, uint32_t counter, uint32_t server_hours,
                      int64_t support_hours) {
  return int64_t{limit} - counter + server_hours > support_hours;
}

}  // namespace quillon
