#include "common/notify/notifier.h"

#include <cstdio>
#include <string>

namespace quillon {
namespace {

constexpr char kMsProgram[] = "TALVENMS";
constexpr char kMiProgram[] = "TALVENMI";

bool Launch(ProcessLauncher* launcher, const std::string& command_line) {
  // An empty working directory keeps the caller's current directory.
  return launcher->Start(command_line, "") == kOk;
}

}  // namespace

std::string MsProgramPath(SystemInfo* system) { return system->ProgramDirectory() + kMsProgram; }

std::string MiProgramPath(SystemInfo* system) { return system->ProgramDirectory() + kMiProgram; }

std::string NotifierCommandLine(const std::string& program, const std::string& text) {
  return "\"" + program + "\" " + text;
}

std::string NotifierCommandLine(const std::string& program, const std::string& text, int item) {
  char number[16];
  std::snprintf(number, sizeof number, "%d", item);
  return NotifierCommandLine(program, text) + " " + number;
}

bool LaunchMs(SystemInfo* system, ProcessLauncher* launcher, const std::string& text) {
  return Launch(launcher, NotifierCommandLine(MsProgramPath(system), text));
}

bool LaunchMsItem(SystemInfo* system, ProcessLauncher* launcher, const std::string& text,
                  int item) {
  return Launch(launcher, NotifierCommandLine(MsProgramPath(system), text, item));
}

bool LaunchMi(SystemInfo* system, ProcessLauncher* launcher, const std::string& text) {
  return Launch(launcher, NotifierCommandLine(MiProgramPath(system), text));
}

bool LaunchMiItem(SystemInfo* system, ProcessLauncher* launcher, const std::string& text,
                  int item) {
  return Launch(launcher, NotifierCommandLine(MiProgramPath(system), text, item));
}

}  // namespace quillon
