#ifndef QUILLON_GUI_CORE_DATE_TEXT_H_
#define QUILLON_GUI_CORE_DATE_TEXT_H_

#include <string>
#include <string_view>

#include "platform/clock.h"

namespace quillon::gui {

// Reads an operator's date text. Accepted: optional blanks, year/month/day with '/', '-' or
// '.' between the parts (year of 3 or 4 digits, 100-9999; month and day of 1 or 2 digits),
// optionally followed by blanks and a time of day "H:MM" or "H:MM:SS"; then optional blanks.
// The date must exist in the calendar. On success fills *out (time of day included) and
// returns true; otherwise returns false and leaves *out untouched.
bool ParseDateText(std::string_view text, LocalDateTime* out);

// The date part of `t` as "%Y/%m/%d" ("2009/02/03").
std::string FormatDate(const LocalDateTime& t);

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_DATE_TEXT_H_
