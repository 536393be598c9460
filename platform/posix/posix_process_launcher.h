#ifndef QUILLON_PLATFORM_POSIX_POSIX_PROCESS_LAUNCHER_H_
#define QUILLON_PLATFORM_POSIX_POSIX_PROCESS_LAUNCHER_H_

#include <cstdint>
#include <string_view>

#include "platform/process_launcher.h"

namespace quillon {

// Starts programs with posix_spawnp (a program name without a slash is looked for on PATH,
// as the system does for a command line without a directory). The child gets the caller's
// environment, standard input, output and error, and no other descriptor. A program started with
// Start is waited for by a small thread of its own that reaps exactly that process id, so it never
// lingers as a zombie and no child that Run (or any other code) waits for is taken away.
// Thread-safe.
class PosixProcessLauncher : public ProcessLauncher {
 public:
  Status Start(std::string_view command_line, std::string_view working_directory) override;
  Status Run(std::string_view command_line, std::string_view working_directory,
             uint32_t* exit_code) override;
  // The program leads a process group of its own, so that a stop ends everything it started
  // (SIGTERM to the group, SIGKILL to what is left of it after kStopGraceMs); the wait watches
  // the program through a pidfd and `stop` together.
  Status RunUntil(std::string_view command_line, std::string_view working_directory, Waitable stop,
                  uint32_t* exit_code) override;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_POSIX_PROCESS_LAUNCHER_H_
