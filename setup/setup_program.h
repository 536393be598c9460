#ifndef QUILLON_SETUP_SETUP_PROGRAM_H_
#define QUILLON_SETUP_SETUP_PROGRAM_H_

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/process_launcher.h"
#include "platform/shell_links.h"
#include "platform/store.h"
#include "platform/system_info.h"

namespace quillon {

// Exit codes of TALVENU2 besides 0 (all done) and the status of a failed directory creation.
inline constexpr int kSetupExitNoArgument = 1;
inline constexpr int kSetupExitFailed = 3;  // settings not written, or TALVENSV did not start

// The texts of the setup log, each with its line end.
inline constexpr char kLogStart[] = "TALVENU2.EXE start.\n";
inline constexpr char kLogDirectoryError[] = "Directory Error. Can not make directory.\n";
inline constexpr char kLogRegistryError[] = "Registry Error. Can not set data to registry.\n";
inline constexpr char kLogStartError[] = "Start Error. Can not start TALVENSV.EXE.\n";
inline constexpr char kLogComplete[] = "TALVENU2.EXE complete.\n";

// The default log file in the temporary-files directory.
inline constexpr char kDefaultLogName[] = "TALVENUP.LOG";

// What the setup program works through; nothing is owned.
struct SetupEnvironment {
  Store* store = nullptr;
  SystemInfo* system = nullptr;  // program directory and languages
  ProcessLauncher* launcher = nullptr;
  Clock* clock = nullptr;  // log time stamps and the two short pauses
  ShellLinks* links = nullptr;
  std::string temp_files_directory;  // with trailing '/'; empty when there is none
  std::ostream* errors = nullptr;    // where the missing-argument message goes
};

// The log path of the command line: the text after the first "-f2" in the arguments joined
// by single blanks, to the end (so "-f2 /x.log" gives " /x.log"); nullopt without "-f2".
std::optional<std::string> LogPathFromArguments(const std::vector<std::string>& arguments);

// Runs the post-installation setup with the program's arguments (without the program name)
// and returns its exit code:
//   1  no argument (the message goes to env.errors; nothing else is done, nothing logged);
//   3  the settings could not be written, or the service program could not be started;
//   another non-zero value: the status of the failed creation of the log or program
//      directory (then the service is not registered and no links are made);
//   0  settings written, TALVENSV run with -remove and then -install, links created.
// Runs on the calling thread, blocks until the service program runs have ended.
int RunSetup(const std::vector<std::string>& arguments, const SetupEnvironment& env);

}  // namespace quillon

#endif  // QUILLON_SETUP_SETUP_PROGRAM_H_
