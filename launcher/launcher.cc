#include "launcher/launcher.h"

#include "platform/command_line_quote.h"

namespace quillon {

std::string StartUpCommandLine(const std::string& program_directory) {
  return QuoteCommandLineArgument(program_directory + "TALVENSU");
}

void LaunchStartUpProgram(SystemInfo* system, ProcessLauncher* launcher) {
  const std::string directory = system->ProgramDirectory();
  // Without its own directory the launcher cannot tell where TALVENSU lies, and a bare name
  // would be looked for on the search path instead.
  if (directory.empty()) return;
  launcher->Start(StartUpCommandLine(directory), "");
}

}  // namespace quillon
