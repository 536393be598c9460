#ifndef QUILLON_PLATFORM_SERVICE_CONTROL_H_
#define QUILLON_PLATFORM_SERVICE_CONTROL_H_

#include <cstdint>
#include <functional>
#include <string>

#include "platform/service_manager.h"
#include "platform/status.h"

namespace quillon {

// Service type "own process".
inline constexpr uint32_t kServiceWin32OwnProcess = 0x10;

// Controls the service manager sends to a running service.
inline constexpr uint32_t kServiceControlStop = 1;
inline constexpr uint32_t kServiceControlInterrogate = 4;
inline constexpr uint32_t kServiceControlShutdown = 5;
inline constexpr uint32_t kServiceControlPowerEvent = 0x0D;

// Bits of ServiceStatusRecord::controls_accepted.
inline constexpr uint32_t kServiceAcceptStop = 0x01;
inline constexpr uint32_t kServiceAcceptShutdown = 0x04;
inline constexpr uint32_t kServiceAcceptPowerEvent = 0x40;

// Console events of a program run in a terminal.
inline constexpr uint32_t kCtrlCEvent = 0;
inline constexpr uint32_t kCtrlBreakEvent = 1;

// What a service tells the service manager about itself.
struct ServiceStatusRecord {
  uint32_t service_type = kServiceWin32OwnProcess;
  ServiceState current_state = ServiceState::kStopped;
  uint32_t controls_accepted = 0;
  uint32_t win32_exit_code = 0;
  uint32_t service_specific_exit_code = 0;
  uint32_t check_point = 0;  // grows while a pending state lasts; 0 otherwise
  uint32_t wait_hint = 0;    // milliseconds until the next report at the latest
};

// Called with a control (kServiceControlStop, ...); returns 0 when handled.
using ServiceControlHandler = std::function<uint32_t(uint32_t control)>;
// Called with a console event (kCtrlCEvent, kCtrlBreakEvent); true when handled, false to let
// the event take its default course (the program ends).
using ConsoleControlHandler = std::function<bool(uint32_t event)>;

// The running service's side of the service manager: the hand-over of the process, the
// control handler, the status reports, and the console events of debug mode.
//
// Handlers are called on a thread of the implementation, never inside a signal handler; they
// may take locks and call any function. They stay registered until the object is destroyed,
// and must remain callable until then.
class ServiceControl {
 public:
  virtual ~ServiceControl() = default;

  // Hands the process to the service manager. When the manager started this process, calls
  // `entry` on the calling thread and returns 0 after it has returned. Otherwise returns
  // kErrorFailedServiceControllerConnect at once without calling it.
  virtual Status RunDispatcher(const std::string& name, const std::function<void()>& entry) = 0;

  // Installs the control handler for the service `name`. 0 on success, else the status (no
  // controls will then be delivered).
  virtual Status RegisterControlHandler(const std::string& name, ServiceControlHandler handler) = 0;

  // Reports `status` to the service manager. 0 when the report was delivered; a non-zero
  // status when it was not (for example because no service manager started the process).
  virtual Status SetStatus(const ServiceStatusRecord& status) = 0;

  // Adds `text` to the status line the service manager shows beside the state (systemd:
  // `systemctl status`), until it is called again; empty removes it. Sent at once and kept
  // with every later status report. 0 when delivered, as SetStatus.
  virtual Status SetStatusText(const std::string& text) = 0;

  // Installs the handler for the console events (debug mode). 0 on success.
  virtual Status SetConsoleHandler(ConsoleControlHandler handler) = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_SERVICE_CONTROL_H_
