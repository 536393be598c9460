#ifndef QUILLON_PLATFORM_POSIX_SYSTEMD_SERVICE_CONTROL_H_
#define QUILLON_PLATFORM_POSIX_SYSTEMD_SERVICE_CONTROL_H_

#include <mutex>
#include <string>

#include "platform/posix/signals.h"
#include "platform/service_control.h"

namespace quillon {

// The sd_notify message that reports `status`: READY=1 for running, STOPPING=1 for stop
// pending and stopped, EXTEND_TIMEOUT_USEC= for a wait hint of a pending state, and always a
// STATUS= text naming the state (and the check point of a pending state).
// `text`, when not empty, follows the state on the STATUS= line after "; ".
std::string NotifyMessage(const ServiceStatusRecord& status, const std::string& text = "");

// ServiceControl for a program that systemd runs as a Type=notify service.
// - The hand-over succeeds only when systemd started the process (NOTIFY_SOCKET is set).
// - The stop and shutdown controls arrive as SIGTERM and reach the control handler as
//   kServiceControlStop.
// - Status reports are sd_notify messages (see NotifyMessage).
// - Console events: SIGINT is kCtrlCEvent, SIGQUIT is kCtrlBreakEvent. A handler that returns
//   false lets the signal take its default action.
// Thread-safe.
class SystemdServiceControl : public ServiceControl {
 public:
  SystemdServiceControl() = default;
  ~SystemdServiceControl() override = default;

  Status RunDispatcher(const std::string& name, const std::function<void()>& entry) override;
  Status RegisterControlHandler(const std::string& name, ServiceControlHandler handler) override;
  Status SetStatus(const ServiceStatusRecord& status) override;
  Status SetStatusText(const std::string& text) override;
  Status SetConsoleHandler(ConsoleControlHandler handler) override;

 private:
  // Sends one sd_notify message; the status as SetStatus returns it.
  static Status Notify(const std::string& message);

  std::mutex mu_;
  ServiceControlHandler control_handler_;
  ConsoleControlHandler console_handler_;
  bool control_registered_ = false;
  bool console_registered_ = false;
  // The last state reported and the text shown with it.
  std::string state_line_;
  std::string status_text_;
  SignalWatcher control_watcher_;
  SignalWatcher console_watcher_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_SYSTEMD_SERVICE_CONTROL_H_
