#include "setup/setup_program.h"

#include "common/init/initializer.h"
#include "common/settings/settings.h"
#include "platform/command_line_quote.h"
#include "setup/directory_chain.h"
#include "setup/setup_log.h"

namespace quillon {
namespace {

constexpr uint32_t kPauseMilliseconds = 100;
constexpr int kShowMinimized = 6;

constexpr char kCaption[] = "Quillon Setup - TALVENU2";
constexpr char kBadParameters[] = "パラメータの指定に誤りがあります。";

// The product name of the applications entry by language index (0 Japanese, 1 English).
constexpr const char* kProductName[] = {"Quillon", "Quillon"};

// The program names in the program directory.
constexpr char kServiceProgram[] = "TALVENSV";
constexpr char kGuiProgram[] = "TALVENUI";
constexpr char kStartUpProgram[] = "TALVENSU";

// Runs the service program with one option and waits for it. Its exit code is not looked at:
// -remove fails normally on a first installation, and -install reports its own errors.
Status RunService(const SetupEnvironment& env, const std::string& program_directory,
                  const char* option) {
  const std::string command =
      QuoteCommandLineArgument(program_directory + kServiceProgram) + " " + option;
  uint32_t exit_code = 0;
  return env.launcher->Run(command, "", &exit_code);
}

void CreateLinks(const SetupEnvironment& env, const std::string& program_directory) {
  const Language language = ServiceLanguage(env.system);
  ShellLink menu;
  menu.name = kProductName[language == Language::kJapanese ? 0 : 1];
  menu.description = menu.name;
  menu.target = program_directory + kGuiProgram;
  menu.icon_path = menu.target;
  menu.working_directory = program_directory;
  menu.show_command = kShowMinimized;
  // A link that cannot be made is skipped: the product works without it.
  env.links->Create(LinkFolder::kCommonPrograms, menu);

  if (env.links->HasFolder(LinkFolder::kUserStartup)) {
    ShellLink startup;
    startup.name = "TALVEN StartUp";
    startup.description = "Quillon StartUp";
    startup.target = program_directory + kStartUpProgram;
    startup.icon_path = startup.target;
    startup.working_directory = program_directory;
    startup.show_command = kShowMinimized;
    env.links->Create(LinkFolder::kUserStartup, startup);
  }
}

}  // namespace

std::optional<std::string> LogPathFromArguments(const std::vector<std::string>& arguments) {
  // The arguments are searched, not the program's own path, which might contain "-f2".
  std::string line;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) line.push_back(' ');
    line += arguments[i];
  }
  const size_t pos = line.find("-f2");
  if (pos == std::string::npos) return std::nullopt;
  return line.substr(pos + 3);
}

int RunSetup(const std::vector<std::string>& arguments, const SetupEnvironment& env) {
  env.clock->Sleep(kPauseMilliseconds);
  if (arguments.empty()) {
    if (env.errors != nullptr) *env.errors << kCaption << ": " << kBadParameters << "\n";
    return kSetupExitNoArgument;
  }

  int exit_code = 0;
  SetupLog log(env.clock);
  if (const std::optional<std::string> path = LogPathFromArguments(arguments)) {
    // An empty path names no file: the run goes on without a log.
    if (!path->empty()) {
      const Status s = CreateDirectoryChain(*path);
      if (s == kOk) {
        log.Enable(*path);
      } else {
        exit_code = static_cast<int>(s);
      }
    }
  } else if (!env.temp_files_directory.empty()) {
    log.Enable(env.temp_files_directory + kDefaultLogName);
  }
  log.Write(kLogStart);

  const std::string program_directory = env.system->ProgramDirectory();
  {
    // Without its own directory the setup could not find the INI file or the service
    // program; that counts as a failed directory.
    const Status s =
        program_directory.empty() ? kErrorBadPathname : CreateDirectoryChain(program_directory);
    if (s != kOk) {
      exit_code = static_cast<int>(s);
      log.Write(kLogDirectoryError);
    }
  }

  bool registered = false;
  if (InitializeDefaults(env.store, env.system, program_directory,
                         TempDirectoryFor(program_directory), InitMode::kSetup) != kOk) {
    exit_code = kSetupExitFailed;
    log.Write(kLogRegistryError);
  } else if (exit_code == 0) {
    RunService(env, program_directory, "-remove");
    if (RunService(env, program_directory, "-install") != kOk) {
      exit_code = kSetupExitFailed;
      log.Write(kLogStartError);
    } else {
      registered = true;
    }
  }

  if (registered) {
    CreateLinks(env, program_directory);
    log.Write(kLogComplete);
  }
  env.clock->Sleep(kPauseMilliseconds);
  return exit_code;
}

}  // namespace quillon
