// quillonctl: the operator's command line for Quillon (see docs/quillonctl.md).
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/wire/pipe_client.h"
#include "platform/platform.h"
#include "platform/store_path.h"
#include "tools/ctl/ctl_command.h"

namespace {

// The probe only asks whether the service answers; a busy service answers within a cycle.
constexpr uint32_t kProbeTimeoutMs = 5000;
// A parts-changed request waits for the check cycle it starts, notices included.
constexpr uint32_t kPartsChangedTimeoutMs = 60000;

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::unique_ptr<quillon::Store> store = quillon::OpenSystemStore();
  std::unique_ptr<quillon::SystemInfo> system = quillon::NewSystemInfo();
  std::unique_ptr<quillon::Clock> clock = quillon::NewClock();
  std::unique_ptr<quillon::ProcessLauncher> launcher = quillon::NewProcessLauncher();
  std::unique_ptr<quillon::EventLog> journal = quillon::NewEventLog();

  quillon::CtlEnv env;
  env.store = store.get();
  env.system = system.get();
  env.clock = clock.get();
  env.launcher = launcher.get();
  env.event_log = journal.get();
  env.store_name = quillon::StorePath();
  env.probe = []() { return quillon::ProbeService(kProbeTimeoutMs); };
  env.send_parts_changed = [](const char* request, size_t size, std::string* text) {
    return quillon::SendPartsChanged(request, size, kPartsChangedTimeoutMs, text);
  };
  env.read_file = [](const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  return quillon::RunCtl(args, env, std::cout, std::cerr);
}
