#ifndef QUILLON_SERVICE_LIMIT_CHECK_SLOTS_H_
#define QUILLON_SERVICE_LIMIT_CHECK_SLOTS_H_

#include <cstdint>

#include "common/settings/schema.h"

namespace quillon {

// The two tests the lifetime check makes on one NotifyIndex slot, over the in-memory lifetime
// data. `now` is the current local time as a day count (platform/date_time.h). Slots 0, 18
// and 19 are counted in running hours (counters CPU_FAN, PSU, CAIS_FAN); slots 1 to 16 (RAID
// batteries, their own limit and lead) and 17 (UPS, the UPS limit and lead) in calendar hours
// since their setup date. Pure functions, thread-safe; any other slot gives false.

// The PartKind whose counter slot `slot` uses (kCpuFan, kPsu, kCaisFan), or -1 for a
// date-counted slot or one outside 0 to 19.
int CounterKindOfSlot(int slot);

// Limit reached. Hour-counted: the limit is not 0 and the counter is at least the limit.
// Date-counted: the setup date is a valid date and setup date + limit hours lies before now.
bool LimitReached(const LifetimeRecord& rec, int slot, double now);

// Pre-warning window, with L the limit and P the lead. Hour-counted: L is not 0, L - P <= the
// counter (unsigned, so a lead larger than the limit gives no window) and the counter < L;
// the remaining hours are L - counter. Date-counted: the setup date is valid; the remaining
// hours are (setup date + L hours - now) in hours plus 5.787037037037037e-6, cut toward zero;
// in the window when they are above 0 and at most P. On true, *remaining_hours is set.
bool InPreWarningWindow(const LifetimeRecord& rec, int slot, double now, uint32_t* remaining_hours);

}  // namespace quillon

#endif  // QUILLON_SERVICE_LIMIT_CHECK_SLOTS_H_
