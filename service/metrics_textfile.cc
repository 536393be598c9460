#include "service/metrics_textfile.h"

#include <cstdio>
#include <cstring>

#include "common/lifetime/part_report.h"
#include "common/lifetime/prometheus_text.h"
#include "common/log/trace_log.h"
#include "common/settings/settings.h"
#include "platform/date_time.h"
#include "platform/file_system.h"

namespace quillon {

Status MetricsTextfile::AfterCycle(int64_t unix_now) {
  char dir[kMetricsDirTextSize] = "";
  ReadMetricsTextfileDir(store_, dir);
  if (dir[0] == '\0') return kOk;

  // The report is read back from the store, as quillonctl reads it, so both show the same.
  LifetimeReport report;
  ReadLifetimeReport(store_, ToDayCount(clock_->Now()), &report);
  MetricsContext context;
  context.last_cycle_unix = unix_now;
  std::string path(dir);
  if (!IsPathSeparator(path.back())) path.push_back('/');
  path += kMetricsFileName;
  const Status status = ReplaceFileAtomically(path, FormatPrometheusText(report, context));
  if (status == kOk) {
    failure_traced_ = false;
  } else if (!failure_traced_ && trace_ != nullptr) {
    char line[400];
    std::snprintf(line, sizeof(line), "Write %s failed (%ld).", path.c_str(),
                  static_cast<long>(status));
    trace_->Trace(line);
    failure_traced_ = true;
  }
  return status;
}

}  // namespace quillon
