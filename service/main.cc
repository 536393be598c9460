// TALVENSV: the monitoring service TALVEN and its own console installer.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/kori/kori_client.h"
#include "common/log/trace_log.h"
#include "common/settings/settings.h"
#include "platform/posix/dbus_kori_transport.h"
#include "platform/posix/file_trace_sink.h"
#include "platform/posix/journal_event_log.h"
#include "platform/posix/posix_process_launcher.h"
#include "platform/posix/posix_system_info.h"
#include "platform/posix/system_clock.h"
#include "platform/posix/systemd_service_control.h"
#include "platform/posix/systemd_service_manager.h"
#include "platform/store_path.h"
#include "service/hardware_init.h"
#include "service/service_core.h"
#include "service/service_env.h"
#include "service/service_host.h"
#include "service/store_monitor.h"

int main(int argc, char** argv) {
  using namespace quillon;

  // The service's writes wait out another program's write lock (see kServiceStoreWaitMs).
  std::unique_ptr<Store> store = OpenSystemStore(kServiceStoreWaitMs);
  PosixSystemInfo system;
  SystemClock clock;
  FileTraceSink trace_sink(&clock);
  TraceLog trace(&system, &trace_sink);
  JournalEventLog event_log;
  PosixProcessLauncher launcher;
  SystemdServiceManager service_manager;
  // Connects to the KORI server on the system bus only for the length of each operation.
  KoriClient kori(NewDbusKoriTransport());
  // Its handlers call into the host; it is ended first (below), so that no signal arriving
  // while the program winds down reaches an object that is already gone.
  auto service_control = std::make_unique<SystemdServiceControl>();
  // Every write of the service goes through the monitor, which reports what still fails and
  // checks the store at start and at each cycle (trace, journal, systemd status line).
  StoreMonitor monitor(store.get(), StorePath(), &clock, &trace, &event_log,
                       ServiceLanguage(&system));
  monitor.set_status_line(
      [control = service_control.get()](const std::string& text) { control->SetStatusText(text); });

  ServiceEnv env;
  env.store = &monitor;
  env.store_monitor = &monitor;
  env.system = &system;
  env.clock = &clock;
  env.trace = &trace;
  env.event_log = &event_log;
  env.launcher = &launcher;
  env.service_manager = &service_manager;
  env.kori = &kori;

  // The service object exists before anything else happens; building it writes Language.
  TalvenService service(env);
  // At every start, before the worker is built: the cabinet data, the RAID batteries, the
  // operating hours and the PSU check; the service object keeps the hours and KORI's status.
  // A stop request ends the step at once (its pauses, KORI calls and RAID script wait on the
  // terminate event too).
  service.set_hardware_step([](TalvenService* running) {
    const HardwareFacts facts = HardwareInit(running->env(), running->terminate_waitable()).Run();
    running->set_kori_result(facts.operating_hours, static_cast<Status>(facts.kori_status));
  });
  HostedTalvenService hosted(&service);
  ServiceHost host(env, service_control.get(), &hosted, [](std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  });

  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const int exit_code = host.Main(args);
  monitor.set_status_line(nullptr);
  service_control.reset();
  return exit_code;
}
