#include "platform/date_time.h"

#include <cmath>
#include <cstdint>

namespace quillon {
namespace {

// Days from 1970/01/01 to y/m/d in the proleptic Gregorian calendar (H. Hinnant's algorithm);
// exact for every date, with no time-zone or daylight-saving input.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yy + (*m <= 2));
}

const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

}  // namespace

double ToDayCount(const LocalDateTime& t) {
  const int64_t days =
      DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) -
      kEpochOffset;
  const double ms_of_day = ((t.hour * 60.0 + t.minute) * 60.0 + t.second) * 1000.0 + t.millisecond;
  return static_cast<double>(days) + ms_of_day / 86400000.0;
}

LocalDateTime FromDayCount(double days) {
  const int64_t total_ms = static_cast<int64_t>(std::llround(days * 86400000.0));
  int64_t day = total_ms / 86400000;
  int64_t ms = total_ms % 86400000;
  if (ms < 0) {
    ms += 86400000;
    --day;
  }
  LocalDateTime t;
  CivilFromDays(day + kEpochOffset, &t.year, &t.month, &t.day);
  t.hour = static_cast<int>(ms / 3600000);
  t.minute = static_cast<int>(ms / 60000 % 60);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.millisecond = static_cast<int>(ms % 1000);
  return t;
}

bool IsValidDate(int year, int month, int day) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  return day <= last;
}

}  // namespace quillon
