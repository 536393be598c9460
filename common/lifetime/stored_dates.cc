#include "common/lifetime/stored_dates.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/date_time.h"

namespace quillon {

size_t DateTextLength(const char* text, size_t size) { return strnlen(text, size); }

// Both parsers scan with the stored formats themselves, so a text counts as a date exactly
// when the formats accept it (leading blanks, a shorter field before a separator).
bool ParseDateText(const char* text, size_t size, double* day) {
  const std::string copy(text, DateTextLength(text, size));
  long year = 0, month = 0, mday = 0;
  if (std::sscanf(copy.c_str(), "%04ld/%02ld/%02ld", &year, &month, &mday) != 3) return false;
  if (!IsValidDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(mday))) {
    return false;
  }
  LocalDateTime t;
  t.year = static_cast<int>(year);
  t.month = static_cast<int>(month);
  t.day = static_cast<int>(mday);
  *day = ToDayCount(t);
  return true;
}

bool ParseDateTimeText(const char* text, size_t size, double* day) {
  const std::string copy(text, DateTextLength(text, size));
  long year = 0, month = 0, mday = 0, hour = 0, minute = 0, second = 0;
  if (std::sscanf(copy.c_str(), "%04ld/%02ld/%02ld %02ld:%02ld:%02ld", &year, &month, &mday, &hour,
                  &minute, &second) != 6) {
    return false;
  }
  if (!IsValidDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(mday)) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    return false;
  }
  LocalDateTime t;
  t.year = static_cast<int>(year);
  t.month = static_cast<int>(month);
  t.day = static_cast<int>(mday);
  t.hour = static_cast<int>(hour);
  t.minute = static_cast<int>(minute);
  t.second = static_cast<int>(second);
  *day = ToDayCount(t);
  return true;
}

void FormatDateText(const LocalDateTime& t, char* out, size_t size) {
  std::memset(out, 0, size);
  std::snprintf(out, size, "%04d/%02d/%02d", t.year, t.month, t.day);
}

}  // namespace quillon
