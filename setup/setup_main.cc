// TALVENU2: the post-installation setup of Quillon. Run once as root after the programs have
// been placed in their directory; see docs/install.md.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/desktop_entry_links.h"
#include "platform/posix/posix_process_launcher.h"
#include "platform/posix/posix_system_info.h"
#include "platform/posix/system_clock.h"
#include "platform/store_path.h"
#include "setup/setup_program.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  std::unique_ptr<quillon::Store> store = quillon::OpenSystemStore();
  quillon::PosixSystemInfo system;
  quillon::PosixProcessLauncher launcher;
  quillon::SystemClock clock;
  quillon::DesktopEntryLinks links = quillon::DesktopEntryLinks::FromEnvironment();

  quillon::SetupEnvironment env;
  env.store = store.get();
  env.system = &system;
  env.launcher = &launcher;
  env.clock = &clock;
  env.links = &links;
  env.temp_files_directory = quillon::TempFilesDirectory();
  env.errors = &std::cerr;
  return quillon::RunSetup(arguments, env);
}
