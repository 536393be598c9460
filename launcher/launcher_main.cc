// TALVENST: starts the product's start-up program TALVENSU from its own directory and ends at
// once. The command line is ignored and the exit code is always 0.
#include "launcher/launcher.h"
#include "platform/posix/posix_process_launcher.h"
#include "platform/posix/posix_system_info.h"

int main() {
  quillon::PosixSystemInfo system;
  quillon::PosixProcessLauncher launcher;
  quillon::LaunchStartUpProgram(&system, &launcher);
  return 0;
}
