#ifndef QUILLON_PLATFORM_WIN32_WIN32_TRACE_SINK_H_
#define QUILLON_PLATFORM_WIN32_WIN32_TRACE_SINK_H_

#include <cstdint>
#include <memory>

#include "platform/clock.h"
#include "platform/trace_sink.h"

namespace quillon {

// The trace log file writer on Windows (ORNALOG.TXT). Each Append writes one line of
// FormatTraceLine with one WriteFile on a handle opened for appending only, while holding an
// exclusive lock of the file, so lines of any number of threads and processes never
// interleave. When the file has grown past the rotation size (1 MiB), the writer that pushed
// it over renames it to ORNALOG.BAK beside it (replacing an older one) before letting go of
// the lock; a writer that was waiting for the lock notices and opens the path again, so no
// line is lost or lands in the old file. Every handle shares delete access, so a reader
// (an operator's editor) never blocks the rotation for long. Thread-safe.
class Win32TraceSink : public TraceSink {
 public:
  static constexpr uint64_t kRotateSize = 1024 * 1024;
  Win32TraceSink();
  // `clock` (not owned, must outlive the sink) gives the time stamps; `rotate_size` is the
  // size past which the file is rotated.
  explicit Win32TraceSink(Clock* clock, uint64_t rotate_size = kRotateSize);
  ~Win32TraceSink() override;
  // 0 when the line was written; otherwise the system's error number of the failing step.
  int Append(std::string_view path, std::string_view message) override;

 private:
  std::unique_ptr<Clock> own_clock_;
  Clock* clock_;
  uint64_t rotate_size_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_WIN32_TRACE_SINK_H_
