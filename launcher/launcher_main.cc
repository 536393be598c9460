// TALVENST: starts the product's start-up program TALVENSU from its own directory and ends at
// once. The command line is ignored and the exit code is always 0.
#include <memory>

#include "launcher/launcher.h"
#include "platform/platform.h"

int main() {
  std::unique_ptr<quillon::SystemInfo> system = quillon::NewSystemInfo();
  std::unique_ptr<quillon::ProcessLauncher> launcher = quillon::NewProcessLauncher();
  quillon::LaunchStartUpProgram(system.get(), launcher.get());
  return 0;
}
