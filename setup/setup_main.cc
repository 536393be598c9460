// TALVENU2: the post-installation setup of Quillon. Run once as root after the programs have
// been placed in their directory; see docs/install.md.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/store_path.h"
#include "setup/setup_program.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  std::unique_ptr<quillon::Store> store = quillon::OpenSystemStore();
  std::unique_ptr<quillon::SystemInfo> system = quillon::NewSystemInfo();
  std::unique_ptr<quillon::ProcessLauncher> launcher = quillon::NewProcessLauncher();
  std::unique_ptr<quillon::Clock> clock = quillon::NewClock();
  std::unique_ptr<quillon::ShellLinks> links = quillon::NewShellLinks();

  quillon::SetupEnvironment env;
  env.store = store.get();
  env.system = system.get();
  env.launcher = launcher.get();
  env.clock = clock.get();
  env.links = links.get();
  env.temp_files_directory = quillon::TempFilesDirectory();
  env.errors = &std::cerr;
  return quillon::RunSetup(arguments, env);
}
