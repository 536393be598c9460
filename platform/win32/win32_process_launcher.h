#ifndef QUILLON_PLATFORM_WIN32_WIN32_PROCESS_LAUNCHER_H_
#define QUILLON_PLATFORM_WIN32_WIN32_PROCESS_LAUNCHER_H_

#include "platform/process_launcher.h"

namespace quillon {

// Starts programs with CreateProcessW: the command line goes to the system as it is (the
// program splits it by the Windows rules itself), no handles are inherited, the caller's
// environment. Every program runs in a job object of its own, so that RunUntil can end it
// together with every process it started. Statuses are the system's error numbers, with
// kErrorNotFound for a missing program or path. Thread-safe.
class Win32ProcessLauncher : public ProcessLauncher {
 public:
  Status Start(std::string_view command_line, std::string_view working_directory) override;
  Status Run(std::string_view command_line, std::string_view working_directory,
             uint32_t* exit_code) override;
  // Ends the job (the program and its children) when `stop` is signalled.
  Status RunUntil(std::string_view command_line, std::string_view working_directory, Waitable stop,
                  uint32_t* exit_code) override;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_WIN32_PROCESS_LAUNCHER_H_
