#ifndef QUILLON_COMMON_LIFETIME_SLOT_RULES_H_
#define QUILLON_COMMON_LIFETIME_SLOT_RULES_H_

#include <cstdint>

#include "common/settings/schema.h"

namespace quillon {

// The lifetime rules of one NotifyIndex slot, over a lifetime record, as the service's check
// engine, the lifetime dialog and quillonctl all apply them. `now` is the current local time
// as a day count (platform/date_time.h). Slots 0, 18 and 19 are counted in running hours
// (counters CPU_FAN, PSU, CAIS_FAN); slots 1 to 16 (RAID batteries, their own limit and lead)
// and 17 (UPS, the UPS limit and lead) in calendar hours since their setup date. Pure
// functions, thread-safe; any other slot gives false.

// The highest value a running-hour counter reaches.
inline constexpr uint32_t kCounterCap = 99999;

// The PartKind whose counter slot `slot` uses (kCpuFan, kPsu, kCaisFan), or -1 for a
// date-counted slot or one outside 0 to 19.
int CounterKindOfSlot(int slot);

// Whether the part of slot `slot` is fitted: every part but a RAID controller's battery
// beyond the `raid_count` the server has. The lifetime dialog offers only fitted rows.
bool SlotFitted(int slot, uint32_t raid_count);

// The setup-date row of a date-counted slot in the record (0-15 RAID01-RAID16, 16 UPS), or -1
// for an hour-counted slot or one outside 0 to 19.
int SetupDateRowOfSlot(int slot);

// The slot's rated life and pre-warning lead in hours (hour-counted: by PartKind;
// date-counted: the controller's own, or the UPS kind's). False for a slot outside 0 to 19.
bool SlotLimits(const LifetimeRecord& rec, int slot, uint32_t* limit, uint32_t* lead);

// The day count of a date-counted slot's setup date (at 00:00). False for an hour-counted slot
// or when the setup date is empty or not a date.
bool SlotSetupDay(const LifetimeRecord& rec, int slot, double* day);

// The moment a part set up on `setup_day` with a life of `life_hours` is due for replacement
// ("Next change"). Every caller adds the hours the same way, so the dialog's next change date
// and the engine's limit test meet at the same moment.
inline double NextChangeDay(double setup_day, int64_t life_hours) {
  return setup_day + static_cast<double>(life_hours) / 24.0;
}

// Hours from `now` to `next_change` as the pre-warning counts them: in hours, plus a small
// allowance so that a whole number of hours is not lost to rounding noise, before it is cut
// toward zero by the caller. Negative once the moment has passed.
double DateRemainingHours(double next_change, double now);

// The moment after which a date-counted part whose next change is `next_change` is in its
// pre-warning window of `lead` hours: from then on its remaining hours, cut to a whole
// number, are at most `lead`.
double PreWarningStartDay(double next_change, uint32_t lead);

// Whether the slot is monitored at all: hour-counted with a limit that is not 0, or
// date-counted with a valid setup date.
bool SlotMonitored(const LifetimeRecord& rec, int slot);

// Limit reached. Hour-counted: the limit is not 0 and the counter is at least the limit.
// Date-counted: the setup date is a valid date and setup date + limit hours lies before now.
bool LimitReached(const LifetimeRecord& rec, int slot, double now);

// Pre-warning window, with L the limit and P the lead. Hour-counted: L is not 0, L - P <= the
// counter (unsigned, so a lead larger than the limit gives no window) and the counter < L;
// the remaining hours are L - counter. Date-counted: the setup date is valid; the remaining
// hours are DateRemainingHours cut toward zero; in the window when they are above 0 and at
// most P. On true, *remaining_hours is set.
bool InPreWarningWindow(const LifetimeRecord& rec, int slot, double now, uint32_t* remaining_hours);

// The remaining hours of a monitored slot for display, negative once the limit has passed:
// hour-counted L - counter; date-counted DateRemainingHours cut toward zero. False (and
// *hours untouched) when the slot is not monitored.
bool RemainingHours(const LifetimeRecord& rec, int slot, double now, int64_t* hours);

// The support period in hours: `support_years` years of 8760 hours, or 43800 (five years)
// when the value is 0.
int64_t SupportPeriodHours(uint32_t support_years);

// Whether a part's end of life lies after the support period: its life `limit` less the hours
// `counter` it has already run, added to the server hours `server_hours`, exceeds
// `support_hours`. Taken in 64 bits, so absurd stored values cannot wrap round below the
// period. The caller adds its own conditions (the engine: only when the server has run longer
// than the limit; the dialog: only for a part just reset to 0).
bool EndsAfterSupport(uint32_t limit, uint32_t counter, uint32_t server_hours,
                      int64_t support_hours);

}  // namespace quillon

#endif  // QUILLON_COMMON_LIFETIME_SLOT_RULES_H_
