#ifndef QUILLON_LAUNCHER_LAUNCHER_H_
#define QUILLON_LAUNCHER_LAUNCHER_H_

#include <string>

#include "platform/process_launcher.h"
#include "platform/system_info.h"

namespace quillon {

// The command line that starts the product's start-up program TALVENSU from `program_directory`
// (with its trailing separator): its full path and nothing else. A path with blanks is quoted
// so that it stays one program path.
std::string StartUpCommandLine(const std::string& program_directory);

// Starts TALVENSU beside the running program, in the caller's working directory, without
// waiting for it. Whether it started is not reported: the launcher has nobody to tell.
void LaunchStartUpProgram(SystemInfo* system, ProcessLauncher* launcher);

}  // namespace quillon

#endif  // QUILLON_LAUNCHER_LAUNCHER_H_
