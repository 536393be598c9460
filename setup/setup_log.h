#ifndef QUILLON_SETUP_SETUP_LOG_H_
#define QUILLON_SETUP_SETUP_LOG_H_

#include <string>
#include <string_view>

#include "platform/clock.h"

namespace quillon {

// The setup program's progress log (TALVENUP.LOG or the -f2 path). Each line is the local
// time, the tag "(TALVENU2)" in double quotes, a tab and the text:
//   2011/05/06 14:03:09"(TALVENU2)"<TAB>TALVENU2.EXE start.
// The file is opened for appending and closed again for every line, so the log is complete
// up to the last line even if the program dies. Off until Enable is called.
class SetupLog {
 public:
  explicit SetupLog(Clock* clock) : clock_(clock) {}

  // Sends the following lines to `path`.
  void Enable(std::string path) { path_ = std::move(path); }
  bool enabled() const { return !path_.empty(); }
  const std::string& path() const { return path_; }

  // Appends one line; `text` brings its own line end. A file that cannot be written loses
  // the line without a message: the log never changes the outcome of the setup.
  void Write(std::string_view text);

  // The line for `text` at `now` (exposed for tests).
  static std::string FormatLine(const LocalDateTime& now, std::string_view text);

 private:
  Clock* clock_;  // not owned
  std::string path_;
};

}  // namespace quillon

#endif  // QUILLON_SETUP_SETUP_LOG_H_
