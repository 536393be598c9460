#ifndef QUILLON_PLATFORM_TRACE_SINK_H_
#define QUILLON_PLATFORM_TRACE_SINK_H_

#include <string_view>

namespace quillon {

// Where trace lines go. One call appends one line for `message` to the file at `path`, with
// the sink's own time stamp and ids in front and a line end after. Concurrent calls from
// several threads or processes never interleave. The result is informational only: callers
// ignore it (0 = written).
class TraceSink {
 public:
  virtual ~TraceSink() = default;
  virtual int Append(std::string_view path, std::string_view message) = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_TRACE_SINK_H_
