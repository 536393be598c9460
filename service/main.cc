// TALVENSV: the monitoring service TALVEN and its own console installer.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/kori/kori_client.h"
#include "common/log/trace_log.h"
#include "common/settings/settings.h"
#include "platform/platform.h"
#include "platform/store_path.h"
#include "service/hardware_init.h"
#include "service/service_env.h"
#include "service/service_host.h"
#include "service/store_monitor.h"
#include "service/talven_service.h"

int main(int argc, char** argv) {
  using namespace quillon;

  // The service's writes wait out another program's write lock (see kServiceStoreWaitMs).
  std::unique_ptr<Store> store = OpenSystemStore(kServiceStoreWaitMs);
  std::unique_ptr<SystemInfo> system = NewSystemInfo();
  std::unique_ptr<Clock> clock = NewClock();
  std::unique_ptr<TraceSink> trace_sink = NewTraceSink(clock.get());
  TraceLog trace(system.get(), trace_sink.get());
  std::unique_ptr<EventLog> event_log = NewEventLog();
  std::unique_ptr<ProcessLauncher> launcher = NewProcessLauncher();
  std::unique_ptr<ServiceManager> service_manager = NewServiceManager();
  // Connects to the KORI server on the system bus only for the length of each operation.
  KoriClient kori(NewKoriTransport());
  // Its handlers call into the host; it is ended first (below), so that no signal arriving
  // while the program winds down reaches an object that is already gone.
  std::unique_ptr<ServiceControl> service_control = NewServiceControl();
  // Every write of the service goes through the monitor, which reports what still fails and
  // checks the store at start and at each cycle (trace, journal, systemd status line).
  StoreMonitor monitor(store.get(), StorePath(), clock.get(), &trace, event_log.get(),
                       ServiceLanguage(system.get()));
  monitor.set_status_line(
      [control = service_control.get()](const std::string& text) { control->SetStatusText(text); });

  ServiceEnv env;
  env.store = &monitor;
  env.store_monitor = &monitor;
  env.system = system.get();
  env.clock = clock.get();
  env.trace = &trace;
  env.event_log = event_log.get();
  env.launcher = launcher.get();
  env.service_manager = service_manager.get();
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
