// The launcher and service manager contracts on their recording doubles.

#include "platform/fakes/recorders.h"
#include "platform/fakes/recording_service_manager.h"
#include "platform/testing/process_launcher_contract.h"
#include "platform/testing/service_manager_contract.h"

namespace quillon {
namespace {

struct RecordingLauncherEnv {
  RecordingProcessLauncher recording;
  ProcessLauncher* launcher() { return &recording; }
  std::string ProgramExiting(uint32_t code) {
    const std::string path = "/opt/quillon/bin/exits " + std::to_string(code);
    recording.SetExitCode(path, code);
    return path;
  }
  std::string MissingProgram() {
    const std::string path = "/opt/quillon/bin/no such program";
    recording.FailProgram(path, kErrorNotFound);
    return path;
  }
  std::string LastingProgram() { return "/opt/quillon/bin/runs on"; }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Recording, ProcessLauncherContractTest,
                               ::testing::Types<RecordingLauncherEnv>);

struct RecordingManagerEnv {
  RecordingServiceManager recording;
  bool ready() { return true; }
  ServiceManager* manager() { return &recording; }
  void FinishStop(const std::string&) {}  // an empty state queue reads as stopped
};

INSTANTIATE_TYPED_TEST_SUITE_P(Recording, ServiceManagerContractTest,
                               ::testing::Types<RecordingManagerEnv>);

}  // namespace
}  // namespace quillon
