#ifndef QUILLON_COMMON_LIFETIME_PROMETHEUS_TEXT_H_
#define QUILLON_COMMON_LIFETIME_PROMETHEUS_TEXT_H_

#include <cstdint>
#include <string>

#include "common/lifetime/part_report.h"

namespace quillon {

// What the metrics say besides the report itself.
struct MetricsContext {
  int64_t last_cycle_unix =
      -1;  // end of the service's last check cycle, Unix seconds; < 0: unknown
};

// The Prometheus text exposition (format 0.0.4) of `report`: per part (label part="CPU_FAN"
// ...) its running time (hour-counted), life, lead, remaining time (when monitored), all in
// seconds as Prometheus's base unit (hours x 3600), one
// quillon_part_state series per state (1 for the part's state, 0 otherwise), the two notified
// flags and the confirmed mark; the server's operating and running time; the check interval; the
// last check cycle (when known); the store errors. quillonctl metrics and the service's
// textfile both come from here. Pure function, thread-safe.
std::string FormatPrometheusText(const LifetimeReport& report, const MetricsContext& context);

}  // namespace quillon

#endif  // QUILLON_COMMON_LIFETIME_PROMETHEUS_TEXT_H_
