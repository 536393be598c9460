// quillonctl: the operator's command line for Quillon (see docs/quillonctl.md).
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/wire/pipe_client.h"
#include "platform/posix/journal_event_log.h"
#include "platform/posix/posix_process_launcher.h"
#include "platform/posix/posix_system_info.h"
#include "platform/posix/system_clock.h"
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
  quillon::PosixSystemInfo system;
  quillon::SystemClock clock;
  quillon::PosixProcessLauncher launcher;
  quillon::JournalEventLog journal;

  quillon::CtlEnv env;
  env.store = store.get();
  env.system = &system;
  env.clock = &clock;
  env.launcher = &launcher;
  env.event_log = &journal;
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
