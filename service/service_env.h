#ifndef QUILLON_SERVICE_SERVICE_ENV_H_
#define QUILLON_SERVICE_SERVICE_ENV_H_

namespace quillon {

class Clock;
class EventLog;
class KoriClient;
class ProcessLauncher;
class ServiceManager;
class Store;
class StoreMonitor;
class SystemInfo;
class TraceLog;

// The operating-system interfaces the service works through. main() fills it with the real
// backends; tests fill it with doubles. Nothing here is owned: whoever fills it keeps every
// object alive for as long as the service objects that hold the environment.
struct ServiceEnv {
  Store* store = nullptr;
  SystemInfo* system = nullptr;
  Clock* clock = nullptr;
  TraceLog* trace = nullptr;  // trace lines to ORNALOG.TXT beside the program
  EventLog* event_log = nullptr;
  ProcessLauncher* launcher = nullptr;
  ServiceManager* service_manager = nullptr;
  KoriClient* kori = nullptr;
  // Checks the store at start and before each check cycle; null: no checks. When set, `store`
  // is normally this same monitor.
  StoreMonitor* store_monitor = nullptr;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_SERVICE_ENV_H_
