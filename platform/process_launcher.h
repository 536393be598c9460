#ifndef QUILLON_PLATFORM_PROCESS_LAUNCHER_H_
#define QUILLON_PLATFORM_PROCESS_LAUNCHER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event.h"
#include "platform/status.h"

namespace quillon {

// Splits a command line into arguments by the Windows rules (double quotes group, backslashes
// before a quote escape it, "" inside quotes is a literal quote). The first argument is the
// program.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// Starts programs from a command line. Thread-safe.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;

  // Starts the program named by the command line's first argument, with the rest as its
  // arguments, in `working_directory` (empty: the caller's), with the caller's environment
  // and no inherited descriptors. Does not wait. A program started this way is reaped when it
  // ends, so it never lingers as a zombie. 0 when the program was started; otherwise
  // kErrorNotFound (no such program), kErrorAccessDenied or another status.
  virtual Status Start(std::string_view command_line, std::string_view working_directory) = 0;

  // Starts like Start and waits for the program to end. On success returns 0 and stores its
  // exit code (128 + signal number when it was killed). Returns a non-zero status when it
  // could not be started.
  virtual Status Run(std::string_view command_line, std::string_view working_directory,
                     uint32_t* exit_code) = 0;

  // Runs like Run, but gives up on the program once `stop` is signalled: the program and
  // every process it started in its own process group are ended (asked to end, then killed
  // after a short grace) and reaped, and kErrorOperationAborted is returned, within about a
  // quarter of a second of the signal. kInvalidWaitable: the same as Run.
  virtual Status RunUntil(std::string_view command_line, std::string_view working_directory,
                          Waitable stop, uint32_t* exit_code) = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_PROCESS_LAUNCHER_H_
