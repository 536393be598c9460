#include "service/limit_check_slots.h"

#include <cmath>

#include "service/limit_check_dates.h"

namespace quillon {
namespace {

// A small allowance added to the remaining hours before they are cut to a whole number, so
// that a remaining time of a whole number of hours does not lose an hour to rounding noise.
constexpr double kRemainingEpsilon = 5.787037037037037e-6;

struct DateSlot {
  const char* setup_date;
  uint32_t limit;
  uint32_t lead;
};

bool DateSlotOf(const LifetimeRecord& rec, int slot, DateSlot* out) {
  if (slot >= kNotifyRaidFirst && slot <= kNotifyRaidLast) {
    out->setup_date = rec.setupDate[slot - 1];
    out->limit = rec.raidLimit[slot - 1];
    out->lead = rec.raidLimitPre[slot - 1];
    return true;
  }
  if (slot == kNotifyUps) {
    out->setup_date = rec.setupDate[16];
    out->limit = rec.limit[kUps];
    out->lead = rec.limitPre[kUps];
    return true;
  }
  return false;
}

}  // namespace

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

bool LimitReached(const LifetimeRecord& rec, int slot, double now) {
  const int kind = CounterKindOfSlot(slot);
  if (kind >= 0) {
    const uint32_t limit = rec.limit[kind];
    return limit != 0 && rec.current[kind] >= limit;
  }
  DateSlot date;
  if (!DateSlotOf(rec, slot, &date)) return false;
  double setup = 0;
  if (!ParseDateText(date.setup_date, sizeof(rec.setupDate[0]), &setup)) return false;
  return setup + date.limit / 24.0 < now;
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
  DateSlot date;
  if (!DateSlotOf(rec, slot, &date)) return false;
  double setup = 0;
  if (!ParseDateText(date.setup_date, sizeof(rec.setupDate[0]), &setup)) return false;
  const double hours = (setup + date.limit / 24.0 - now) * 24.0 + kRemainingEpsilon;
  if (!(hours >= 1.0) || hours >= 4294967296.0) return false;
  const uint32_t remaining = static_cast<uint32_t>(std::trunc(hours));
  if (remaining > date.lead) return false;
  *remaining_hours = remaining;
  return true;
}

}  // namespace quillon
