#include "platform/trace_line.h"

#include <cstdio>

namespace quillon {

std::string FormatTraceLine(const LocalDateTime& now, long pid, long tid,
                            std::string_view message) {
  char stamp[64];
  std::snprintf(stamp, sizeof(stamp), "%04d/%02d/%02d %02d:%02d:%02d.%03d [%ld:%ld] ", now.year,
                now.month, now.day, now.hour, now.minute, now.second, now.millisecond, pid, tid);
  std::string line(stamp);
  line.reserve(line.size() + message.size() + 1);
  for (char c : message) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
  line.push_back('\n');
  return line;
}

}  // namespace quillon
