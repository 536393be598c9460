#ifndef QUILLON_COMMON_LIFETIME_PART_CHANGE_H_
#define QUILLON_COMMON_LIFETIME_PART_CHANGE_H_

#include <cstdint>
#include <string_view>

#include "common/lifetime/slot_rules.h"
#include "common/settings/schema.h"
#include "platform/status.h"
#include "platform/store.h"

namespace quillon {

// The rules of the changes an operator makes to a part: what may be typed as running hours,
// when a pre-warning may be confirmed, and what is written, in which order, once a part is
// replaced. The lifetime dialog and quillonctl both apply them through these functions and
// keep only their own texts. The store is not owned; calls on one store from one thread.

// A number typed by the operator: true and *value set when `text` is not empty, holds only
// the digits 0-9 and its value lies in lower..upper (a value too large for 32 bits counts as
// out of range); false and *value untouched otherwise.
bool ParseDigits(std::string_view text, uint32_t lower, uint32_t upper, uint32_t* value);

// The running hours a part's counter accepts: ParseDigits over 0..kCounterCap.
inline bool ParseRunningHours(std::string_view text, uint32_t* hours) {
  return ParseDigits(text, 0, kCounterCap, hours);
}

// Whether the "Confirmed" box of slot `slot` is offered: the slot has had its pre-warning
// (NotifyDonePre not 0) and no limit notice (NotifyDone 0), and it is monitored. Hour-counted:
// its limit in `rec` is not 0 and its notices are not stopped (CurrentStop 0); date-counted:
// the part is fitted with `raid_count` controllers. Reads the flags from `store`; a failed
// read counts as 0. False for a slot outside 0 to 19.
bool ConfirmOffered(Store* store, const LifetimeRecord& rec, int slot, uint32_t raid_count);

// The support period in hours as stored (SupportPeriodHours of SupportLimit; a failed read
// counts as 0, the default period).
int64_t ReadSupportHours(Store* store);

// The support-period rule of a replaced hour-counted part (PartKind `kind`, life `limit`)
// whose counter was just set to `hours`: when the limit is not 0, the counter is 0 and the
// new life would end only after the support period (EndsAfterSupport with the server's
// `server_hours`), the part gets no notices at all. The service keeps that flag as it is, so
// the change writes CurrentStop = 1 at once, before the new counter (status ignored). True
// when it was written; false, nothing written, otherwise.
bool WriteSupportStopIfDue(Store* store, int kind, uint32_t limit, uint32_t hours,
                           uint32_t server_hours, int64_t support_hours);

// The new values of the replaced parts: the counters flagged in `running_mask` (by PartKind
// 0-2), then the setup dates flagged in `date_mask` (17 rows). 0 when both groups were
// written; otherwise the two groups' statuses OR-ed together.
Status WriteReplacedParts(Store* store, const LifetimeRecord& rec, const uint8_t running_mask[3],
                          const uint8_t date_mask[17]);

}  // namespace quillon

#endif  // QUILLON_COMMON_LIFETIME_PART_CHANGE_H_
