#include "common/log/trace_log.h"

#include <cstdarg>
#include <cstdio>

namespace quillon {

namespace {
constexpr char kTraceFileName[] = "ORNALOG.TXT";
}  // namespace

TraceLog::TraceLog(SystemInfo* system, TraceSink* sink) : system_(system), sink_(sink) {}

std::string TraceLog::TraceLogPath() {
  return (system_ != nullptr ? system_->ProgramDirectory() : std::string()) + kTraceFileName;
}

int TraceLog::Trace(std::string_view message) {
  if (sink_ == nullptr) return -1;
  return sink_->Append(TraceLogPath(), message);
}

int TraceLog::Tracef(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<size_t>(length));
  }
  va_end(again);
  return Trace(text);
}

}  // namespace quillon
