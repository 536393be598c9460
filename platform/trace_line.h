#ifndef QUILLON_PLATFORM_TRACE_LINE_H_
#define QUILLON_PLATFORM_TRACE_LINE_H_

#include <string>
#include <string_view>

#include "platform/clock.h"

namespace quillon {

// One line of the trace log file, as every backend's trace sink writes it:
//   "YYYY/MM/DD HH:MM:SS.mmm [pid:tid] message\n"
// with line breaks inside the message written as spaces, so one message stays one line.
std::string FormatTraceLine(const LocalDateTime& now, long pid, long tid, std::string_view message);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_TRACE_LINE_H_
