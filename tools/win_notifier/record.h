#ifndef QUILLON_TOOLS_WIN_NOTIFIER_RECORD_H_
#define QUILLON_TOOLS_WIN_NOTIFIER_RECORD_H_

#include <string>

namespace quillon::notifier {

// The recording mode of the Windows notifier stand-ins, for tests: instead of showing a notice
// the program appends the command line it was started with to a record file. The file is the
// one %QUILLON_NOTIFY_RECORD% names, else the one named by the first line of
// notify_record.txt in `program_dir` (the file is what reaches a program started by a service,
// whose environment the test does not set). Empty when recording is off. `program_dir` ends
// with a backslash. Thread-safe.
std::string RecordPath(const std::string& program_dir);

// Appends `command_line` (UTF-8) and one line feed to the file at `path` (UTF-8), created when
// missing, in one write, so records of programs running at once do not interleave. True when
// the whole record was written.
bool AppendRecord(const std::string& path, const std::string& command_line);

}  // namespace quillon::notifier

#endif  // QUILLON_TOOLS_WIN_NOTIFIER_RECORD_H_
