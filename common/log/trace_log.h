#ifndef QUILLON_COMMON_LOG_TRACE_LOG_H_
#define QUILLON_COMMON_LOG_TRACE_LOG_H_

#include <string>
#include <string_view>

#include "platform/system_info.h"
#include "platform/trace_sink.h"

namespace quillon {

// The service's trace log: ORNALOG.TXT in the directory of the running program. Every
// progress and failure message goes through Trace as one line. Neither pointer is owned; both
// must outlive the TraceLog. Thread-safe as far as the sink is (the file sink is).
class TraceLog {
 public:
  TraceLog(SystemInfo* system, TraceSink* sink);

  // The program directory followed by "ORNALOG.TXT", built anew for every message so that the
  // file follows the program wherever it is started from. Just "ORNALOG.TXT" when the program
  // directory cannot be determined.
  std::string TraceLogPath();

  // Appends `message` (one line, without a line end) to the trace log. Returns the sink's
  // result, which callers may ignore (0 = written).
  int Trace(std::string_view message);

  // Formats like printf, then calls Trace with the result.
  int Tracef(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  SystemInfo* system_;
  TraceSink* sink_;
};

}  // namespace quillon

#endif  // QUILLON_COMMON_LOG_TRACE_LOG_H_
