#ifndef QUILLON_COMMON_LIFETIME_OPERATOR_DATE_H_
#define QUILLON_COMMON_LIFETIME_OPERATOR_DATE_H_

#include <string>
#include <string_view>

#include "platform/clock.h"

namespace quillon {

// Reads a date as an operator types it (the lifetime dialog's install-date fields, quillonctl's
// --date). Pure, thread-safe. Accepted: optional blanks, year/month/day with '/', '-' or
// '.' between the parts (year of 3 or 4 digits, 100-9999; month and day of 1 or 2 digits),
// optionally followed by blanks and a time of day "H:MM" or "H:MM:SS"; then optional blanks.
// The date must exist in the calendar. On success fills *out (time of day included) and
// returns true; otherwise returns false and leaves *out untouched.
bool ParseOperatorDate(std::string_view text, LocalDateTime* out);

// The date part of `t` as "%Y/%m/%d" ("2009/02/03").
std::string FormatDate(const LocalDateTime& t);

}  // namespace quillon

#endif  // QUILLON_COMMON_LIFETIME_OPERATOR_DATE_H_
