// The launcher contract on the real launcher, with shell scripts as the programs.

#include <sys/stat.h>

#include <fstream>

#include "platform/posix/posix_process_launcher.h"
#include "platform/testing/process_launcher_contract.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

struct PosixLauncherEnv {
  TempDir dir{"quillon-launch-"};
  PosixProcessLauncher posix;

  ProcessLauncher* launcher() { return &posix; }
  std::string ProgramExiting(uint32_t code) {
    return Script("exits " + std::to_string(code), "exit " + std::to_string(code));
  }
  std::string MissingProgram() { return dir.File("no such program"); }
  // exec, so that the stop reaches the waiting program itself.
  std::string LastingProgram() { return Script("runs on", "exec sleep 600"); }

  std::string Script(const std::string& name, const std::string& body) {
    const std::string path = dir.File(name);
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0700);
    return path;
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Posix, ProcessLauncherContractTest,
                               ::testing::Types<PosixLauncherEnv>);

}  // namespace
}  // namespace quillon
