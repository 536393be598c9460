#include "setup/setup_log.h"

#include <cstdio>

namespace quillon {

std::string SetupLog::FormatLine(const LocalDateTime& now, std::string_view text) {
  char stamp[64];
  std::snprintf(stamp, sizeof(stamp), "%04u/%02u/%02u %02u:%02u:%02u\"(TALVENU2)\"\t",
                static_cast<unsigned>(now.year), static_cast<unsigned>(now.month),
                static_cast<unsigned>(now.day), static_cast<unsigned>(now.hour),
                static_cast<unsigned>(now.minute), static_cast<unsigned>(now.second));
  return std::string(stamp).append(text);
}

void SetupLog::Write(std::string_view text) {
  if (!enabled()) return;
  const std::string line = FormatLine(clock_->Now(), text);
  std::FILE* file = std::fopen(path_.c_str(), "a");
  if (file == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);
}

}  // namespace quillon
