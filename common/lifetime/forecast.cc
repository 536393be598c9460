#include "common/lifetime/forecast.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/lifetime/slot_rules.h"

namespace quillon {
namespace {

// The moment an hour-counted counter, now at `counter`, reaches `target`; false when the
// counter stops short of it.
bool CounterMoment(uint32_t counter, uint32_t target, double now, double per_day, double* day,
                   bool* reached) {
  if (counter >= target) {
    *day = now;
    *reached = true;
    return true;
  }
  if (target > kCounterCap) return false;
  *day = now + (target - counter) / per_day;
  *reached = false;
  return true;
}

}  // namespace

double HoursPerDay(const std::string& average_time) {
  char* end = nullptr;
  const double value = std::strtod(average_time.c_str(), &end);
  if (end == average_time.c_str() || !(value > 0.0) || !std::isfinite(value)) return 24.0;
  return value;
}

std::vector<ForecastEvent> Forecast(const LifetimeReport& report, double now,
                                    double hours_per_day) {
  std::vector<ForecastEvent> events;
  const LifetimeRecord& rec = report.record;
  for (const PartReport& part : report.parts) {
    if (part.state == PartState::kNotMonitored) continue;
    const int i = part.index;
    ForecastEvent pre{i, false, 0, false, part.pre_flag != 0, part.support_stop != 0};
    ForecastEvent limit{i, true, 0, false, part.limit_flag != 0, part.support_stop != 0};
    bool has_pre = false, has_limit = false;
    if (part.hour_counted) {
      // The window is L - P <= counter < L, so a lead of 0 or above the limit gives none.
      if (part.lead != 0 && part.lead <= part.limit) {
        has_pre = CounterMoment(part.hours, part.limit - part.lead, now, hours_per_day, &pre.day,
                                &pre.reached);
      }
      has_limit =
          CounterMoment(part.hours, part.limit, now, hours_per_day, &limit.day, &limit.reached);
    } else {
      double setup = 0;
      if (!SlotSetupDay(rec, i, &setup)) continue;
      const double next = NextChangeDay(setup, part.limit);
      if (part.lead != 0) {
        pre.day = PreWarningStartDay(next, part.lead);
        pre.reached = pre.day < now;
        has_pre = true;
      }
      limit.day = next;
      limit.reached = next < now;
      has_limit = true;
    }
    // A part already past its limit never gets the pre-warning of this life: the window
    // ends where the limit is reached.
    if (has_pre && !(has_limit && limit.reached && !pre.notified)) events.push_back(pre);
    if (has_limit) events.push_back(limit);
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const ForecastEvent& a, const ForecastEvent& b) { return a.day < b.day; });
  return events;
}

}  // namespace quillon
