#ifndef QUILLON_SERVICE_SERVICE_HOST_H_
#define QUILLON_SERVICE_SERVICE_HOST_H_

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/service_control.h"
#include "platform/service_manager.h"
#include "service/hosted_service.h"
#include "service/service_env.h"
#include "service/service_status_sink.h"

namespace quillon {

// Writes console text (the installer's messages); the real one writes to standard output at
// once, so the dots of a stop appear as they come.
using ConsoleOut = std::function<void(std::string_view text)>;

// What the command line asks for.
enum class HostCommand {
  kInstall,
  kRemove,
  kDebug,
  kStart,
  kUsage,     // an unknown "-" argument: usage text, then the hand-over
  kDispatch,  // hand the process to the service manager
};

// The command line rule: only exactly one argument that begins with "-" is looked at; the
// rest of it is compared with install, remove, debug and start without regard to case.
// `args` excludes the program name.
HostCommand ParseCommandLine(const std::vector<std::string>& args);

// The host of the service program: its own console installer and the bridge between the
// service manager and the service object. Owns the status record and its check point.
// The control handler and the console handler run on a thread of the ServiceControl and
// touch only the status record and the service's terminate event.
class ServiceHost : public ServiceStatusSink {
 public:
  // Nothing is owned; all must outlive the host. `env` must hold store, system, clock, trace,
  // event_log and service_manager.
  ServiceHost(const ServiceEnv& env, ServiceControl* control, HostedService* service,
              ConsoleOut out);

  // Acts on the command line (`args` without the program name) and returns the process's exit
  // code: 0 on success, 1 when the requested operation failed.
  int Main(const std::vector<std::string>& args);

  // -install: registers the event source, creates the service, writes the install event and
  // (only while empty) InstallDate, then starts the service. 0 when the service was created
  // (whether or not it then started), 1 when it could not be created.
  int Install();
  // -remove: stops the service when it runs (printing a dot a second while it stops) and
  // deletes it. 0 when it was deleted.
  int Remove();
  // -start: starts the installed service. 0 when it started.
  int Start();
  // -debug: runs the service on this thread; Ctrl+C and Ctrl+\ stop it. Returns 0.
  int Debug();
  // The hand-over to the service manager; 1 (with the trace line
  // "StartServiceCtrlDispatcher failed.") when the manager did not start this process.
  int Dispatch();
  // The usage text.
  void PrintUsage();

  // The service entry point, called by the dispatcher.
  void ServiceMain();
  // The control handler; returns 0.
  uint32_t ControlHandler(uint32_t control);
  // The console handler of debug mode: true for Ctrl+C and Ctrl+Break (the service stops).
  bool ConsoleHandler(uint32_t event);

  // ServiceStatusSink. Thread-safe.
  bool SetStatus(ServiceState state, uint32_t exit_code, uint32_t wait_hint) override;

  // "%s (0x%x)" with the message text of `code` and the code; empty when there is no text.
  std::string ErrorText(Status code);

  bool debug() const { return debug_; }
  // The last formatted error text.
  const std::string& error_text() const { return error_text_; }

 private:
  void Print(std::string_view text);
  // printf-style formatting into the console.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Connects to the service manager and opens this service (the first steps of -remove and
  // -start). True on success; false after printing "OpenSCManager failed - ..." or
  // "OpenService failed - ..." with the error text.
  bool ConnectAndOpen();

  ServiceEnv env_;
  ServiceControl* control_;
  HostedService* service_;
  ConsoleOut out_;
  bool debug_ = false;
  std::string error_text_;

  std::mutex status_mu_;  // the record is shared with the control handler's thread
  ServiceStatusRecord status_;
  uint32_t check_point_ = 1;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_SERVICE_HOST_H_
