#ifndef QUILLON_PLATFORM_POSIX_FILE_TRACE_SINK_H_
#define QUILLON_PLATFORM_POSIX_FILE_TRACE_SINK_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/trace_sink.h"

namespace quillon {

// The trace log file writer. Each Append writes one line
//   "YYYY/MM/DD HH:MM:SS.mmm [pid:tid] message\n"
// (local time) with a single write(2) on an O_APPEND descriptor while holding an exclusive
// flock on the file, so lines from any number of threads and processes never interleave.
// When the file has grown past the rotation size (1 MiB), the writer that pushed it over
// renames it to ORNALOG.BAK in the same directory (replacing an older one) before releasing
// the lock; a writer that was waiting for the lock notices the rename and reopens the path,
// so no line is lost or lands in the old file. Line breaks inside a message are written as
// spaces, so that one message stays one line. Thread-safe.
class FileTraceSink : public TraceSink {
 public:
  static constexpr uint64_t kRotateSize = 1024 * 1024;

  // Uses the machine's clock.
  FileTraceSink();
  // `clock` (not owned, must outlive the sink) gives the time stamps; `rotate_size` is the
  // size past which the file is rotated (tests use small sizes).
  explicit FileTraceSink(Clock* clock, uint64_t rotate_size = kRotateSize);
  ~FileTraceSink() override;

  // Appends one line to `path`, creating the file (mode 0644) when missing. 0 when the line
  // was written; otherwise the errno of the failing step (the line is then lost).
  int Append(std::string_view path, std::string_view message) override;

  // The line Append writes for `message` at `now` in process `pid`, thread `tid`.
  static std::string FormatLine(const LocalDateTime& now, long pid, long tid,
                                std::string_view message);

 private:
  std::unique_ptr<Clock> own_clock_;
  Clock* clock_;
  uint64_t rotate_size_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_FILE_TRACE_SINK_H_
