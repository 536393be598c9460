#ifndef QUILLON_SERVICE_METRICS_TEXTFILE_H_
#define QUILLON_SERVICE_METRICS_TEXTFILE_H_

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/status.h"
#include "platform/store.h"

namespace quillon {

class TraceLog;

// The file the service leaves for the node exporter's textfile collector.
inline constexpr char kMetricsFileName[] = "quillon.prom";

// Writes the lifetime metrics (common/lifetime/prometheus_text.h) into the directory named by
// the setting MetricsTextfileDir after every check cycle, atomically, so the collector never
// reads half a file. Nothing is written while the setting is empty or missing. Called from
// the check thread only; the pointers are not owned and must outlive the object.
class MetricsTextfile {
 public:
  MetricsTextfile(Store* store, Clock* clock, TraceLog* trace)
      : store_(store), clock_(clock), trace_(trace) {}

  // Once per check cycle, after it. `unix_now` is the cycle's end in Unix seconds. 0 when the
  // file was written or is off; otherwise the write's status, also written to the trace log
  // (once until a write succeeds again, so a missing directory does not fill the log).
  Status AfterCycle(int64_t unix_now);

 private:
  Store* store_;
  Clock* clock_;
  TraceLog* trace_;
  bool failure_traced_ = false;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_METRICS_TEXTFILE_H_
