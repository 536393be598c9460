#ifndef QUILLON_COMMON_LIFETIME_STORED_DATES_H_
#define QUILLON_COMMON_LIFETIME_STORED_DATES_H_

#include <cstddef>

#include "platform/clock.h"

namespace quillon {

// Stored dates of the lifetime check as day counts (days since 1899/12/30, time of day as the
// fraction; see platform/date_time.h). Every function reads at most `size` bytes of `text`
// and stops at the first zero byte, so a text without a terminating zero is safe. Pure
// functions, thread-safe.

// Parses a "%04ld/%02ld/%02ld" date into its day count at 00:00:00. False when the text does
// not give three numbers or they are not a real calendar date (year 100 to 9999).
bool ParseDateText(const char* text, size_t size, double* day);

// Parses a "%04ld/%02ld/%02ld %02ld:%02ld:%02ld" date and time. False when the text does not
// give six numbers, the date is not real or the time is outside 00:00:00 to 23:59:59.
bool ParseDateTimeText(const char* text, size_t size, double* day);

// Length of the text up to its first zero byte, at most `size`.
size_t DateTextLength(const char* text, size_t size);

// Writes the date of `t` as "%Y/%m/%d" (ten characters and a zero) into `out`, whose
// `size` bytes are all written (zero after the text). `size` must be at least 11.
void FormatDateText(const LocalDateTime& t, char* out, size_t size);

}  // namespace quillon

#endif  // QUILLON_COMMON_LIFETIME_STORED_DATES_H_
