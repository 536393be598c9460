#ifndef QUILLON_PLATFORM_DATE_TIME_H_
#define QUILLON_PLATFORM_DATE_TIME_H_

#include "platform/clock.h"

namespace quillon {

// Calendar arithmetic on local date-times as day counts: day 0 is 1899/12/30 00:00, the time
// of day is the fraction. Daylight-saving shifts play no part, so a result is the same in
// every time zone. Pure functions, thread-safe.

// Days since 1899/12/30 for a date and time (negative before it). Fields out of their ranges
// are not normalised; pass a valid date.
double ToDayCount(const LocalDateTime& t);

// The date and time of a day count, rounded to the millisecond.
LocalDateTime FromDayCount(double days);

// True when year/month/day is a real calendar date (year 100 to 9999).
bool IsValidDate(int year, int month, int day);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_DATE_TIME_H_
