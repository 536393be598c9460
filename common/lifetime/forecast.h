#ifndef QUILLON_COMMON_LIFETIME_FORECAST_H_
#define QUILLON_COMMON_LIFETIME_FORECAST_H_

#include <string>
#include <vector>

#include "common/lifetime/part_report.h"

namespace quillon {

// One future (or past) notice of one part.
struct ForecastEvent {
  int index = 0;          // NotifyIndex
  bool limit = false;     // the limit notice; false: the pre-warning
  double day = 0;         // the moment the part's state changes (day count); the notice is
                          // given at the first check cycle after it
  bool reached = false;   // the moment lies at or before `now`
  bool notified = false;  // its first notice has already been given (NotifyDone/NotifyDonePre)
  bool silenced = false;  // CurrentStop is set: no notice will be given
};

// The average running hours per day an hour-counted part gains: the AverageTime text when it
// reads as a number above 0, else 24.
double HoursPerDay(const std::string& average_time);

// For every monitored part of `report` (judged at `now`), the moments it enters its
// pre-warning window and reaches its limit, sorted by moment (ties in NotifyIndex order, the
// pre-warning first). Hour-counted parts gain `hours_per_day` hours a day (the counter moves in
// whole hours and stops at 99999, so a target beyond it never comes); date-counted parts
// count from their setup date. A part whose lead gives it no window, or that is already past
// its limit without a pre-warning, has no pre-warning event.
// Pure function.
std::vector<ForecastEvent> Forecast(const LifetimeReport& report, double now, double hours_per_day);

}  // namespace quillon

#endif  // QUILLON_COMMON_LIFETIME_FORECAST_H_
