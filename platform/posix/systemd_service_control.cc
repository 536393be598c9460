#include "platform/posix/systemd_service_control.h"

#include <signal.h>
#include <systemd/sd-daemon.h>

#include <cerrno>
#include <cstdlib>

namespace quillon {
namespace {

const char* StateName(ServiceState state) {
  switch (state) {
    case ServiceState::kStopped:
      return "Stopped";
    case ServiceState::kStartPending:
      return "Starting";
    case ServiceState::kStopPending:
      return "Stopping";
    case ServiceState::kRunning:
      return "Running";
    case ServiceState::kContinuePending:
      return "Continuing";
    case ServiceState::kPausePending:
      return "Pausing";
    case ServiceState::kPaused:
      return "Paused";
  }
  return "Unknown";
}

bool IsPending(ServiceState state) {
  return state == ServiceState::kStartPending || state == ServiceState::kStopPending ||
         state == ServiceState::kContinuePending || state == ServiceState::kPausePending;
}

// The STATUS= line of a report: the state, its check point or exit code.
std::string StateLine(const ServiceStatusRecord& status) {
  std::string line = StateName(status.current_state);
  if (IsPending(status.current_state)) {
    line += " (check point " + std::to_string(status.check_point) + ")";
  }
  if (status.current_state == ServiceState::kStopped && status.win32_exit_code != 0) {
    line += " (exit code " + std::to_string(status.win32_exit_code) + ")";
  }
  return line;
}

std::string StatusLine(const std::string& state_line, const std::string& text) {
  if (text.empty()) return "STATUS=" + state_line;
  return "STATUS=" + (state_line.empty() ? text : state_line + "; " + text);
}

}  // namespace

std::string NotifyMessage(const ServiceStatusRecord& status, const std::string& text) {
  std::string message;
  if (status.current_state == ServiceState::kRunning) message += "READY=1\n";
  if (status.current_state == ServiceState::kStopPending ||
      status.current_state == ServiceState::kStopped) {
    message += "STOPPING=1\n";
  }
  message += StatusLine(StateLine(status), text);
  // systemd only ever lengthens its time-out with this, so a short hint cannot cut a generous
  // default short.
  if (IsPending(status.current_state) && status.wait_hint != 0) {
    message += "\nEXTEND_TIMEOUT_USEC=" + std::to_string(uint64_t{status.wait_hint} * 1000);
  }
  return message;
}

Status SystemdServiceControl::RunDispatcher(const std::string& /*name*/,
                                            const std::function<void()>& entry) {
  // systemd sets NOTIFY_SOCKET for the processes of a Type=notify unit; without it nobody
  // would receive the status reports, exactly the situation of a program not started by the
  // service manager.
  const char* socket = std::getenv("NOTIFY_SOCKET");
  if (socket == nullptr || socket[0] == '\0') return kErrorFailedServiceControllerConnect;
  entry();
  return kOk;
}

Status SystemdServiceControl::RegisterControlHandler(const std::string& /*name*/,
                                                     ServiceControlHandler handler) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    control_handler_ = std::move(handler);
    // A second registration only replaces the handler.
    if (control_registered_) return kOk;
    control_registered_ = true;
  }
  const Status status = control_watcher_.Start({SIGTERM}, [this](int) {
    ServiceControlHandler handler;
    {
      std::lock_guard<std::mutex> lock(mu_);
      handler = control_handler_;
    }
    if (handler) handler(kServiceControlStop);
  });
  if (status != kOk) {
    std::lock_guard<std::mutex> lock(mu_);
    control_registered_ = false;
  }
  return status;
}

Status SystemdServiceControl::SetStatus(const ServiceStatusRecord& status) {
  std::string message;
  {
    std::lock_guard<std::mutex> lock(mu_);
    state_line_ = StateLine(status);
    message = NotifyMessage(status, status_text_);
  }
  return Notify(message);
}

Status SystemdServiceControl::SetStatusText(const std::string& text) {
  std::string message;
  {
    std::lock_guard<std::mutex> lock(mu_);
    status_text_ = text;
    message = StatusLine(state_line_, text);
  }
  return Notify(message);
}

Status SystemdServiceControl::Notify(const std::string& message) {
  const int r = sd_notify(0, message.c_str());
  if (r > 0) return kOk;
  if (r == 0) return kErrorInvalidHandle;  // not started by systemd: nobody to report to
  switch (-r) {
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    default:
      return kErrorInvalidHandle;
  }
}

Status SystemdServiceControl::SetConsoleHandler(ConsoleControlHandler handler) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    console_handler_ = std::move(handler);
    if (console_registered_) return kOk;
    console_registered_ = true;
  }
  const Status status = console_watcher_.Start({SIGINT, SIGQUIT}, [this](int signal_number) {
    ConsoleControlHandler handler;
    {
      std::lock_guard<std::mutex> lock(mu_);
      handler = console_handler_;
    }
    const uint32_t event = signal_number == SIGINT ? kCtrlCEvent : kCtrlBreakEvent;
    if (!handler || !handler(event)) {
      // Not handled: the signal takes its default course, as an unhandled console event ends
      // the program.
      signal(signal_number, SIG_DFL);
      raise(signal_number);
    }
  });
  if (status != kOk) {
    std::lock_guard<std::mutex> lock(mu_);
    console_registered_ = false;
  }
  return status;
}

}  // namespace quillon
