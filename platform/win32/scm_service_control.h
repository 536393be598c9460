#ifndef QUILLON_PLATFORM_WIN32_SCM_SERVICE_CONTROL_H_
#define QUILLON_PLATFORM_WIN32_SCM_SERVICE_CONTROL_H_

#include <mutex>
#include <string>

#include "platform/service_control.h"

namespace quillon {

// ServiceControl over the Windows service control manager.
// - RunDispatcher is StartServiceCtrlDispatcherW with a one-entry table. The manager calls
//   `entry` on a thread of its dispatcher (not the calling thread); RunDispatcher returns 0
//   once the service has reported stopped and `entry` has returned. Outside the manager it
//   fails with kErrorFailedServiceControllerConnect (1063). One dispatcher per process.
// - RegisterControlHandler is RegisterServiceCtrlHandlerExW; controls reach the handler on the
//   dispatcher's thread with the manager's numbers (stop 1, interrogate 4, shutdown 5, power
//   event 0x0D); the handler's result is returned to the manager.
// - SetStatus is SetServiceStatus with the record's fields; it fails with kErrorInvalidHandle
//   before a control handler was registered, else with the system's error.
// - SetStatusText keeps the text and returns 0: the manager shows no status line beside the
//   state.
// - SetConsoleHandler is SetConsoleCtrlHandler; CTRL_C_EVENT and CTRL_BREAK_EVENT reach the
//   handler (on the thread the system makes for them), every other console event takes its
//   default course.
// The handlers are forgotten when the object is destroyed: a control that arrives later is
// answered with ERROR_CALL_NOT_IMPLEMENTED, a console event takes its default course. At most
// one object of this class exists at a time. Thread-safe.
class ScmServiceControl : public ServiceControl {
 public:
  ScmServiceControl();
  ~ScmServiceControl() override;
  ScmServiceControl(const ScmServiceControl&) = delete;
  ScmServiceControl& operator=(const ScmServiceControl&) = delete;

  Status RunDispatcher(const std::string& name, const std::function<void()>& entry) override;
  Status RegisterControlHandler(const std::string& name, ServiceControlHandler handler) override;
  Status SetStatus(const ServiceStatusRecord& status) override;
  Status SetStatusText(const std::string& text) override;
  Status SetConsoleHandler(ConsoleControlHandler handler) override;

  // The text last given to SetStatusText.
  std::string status_text();

 private:
  std::mutex mu_;  // guards the members below (the handlers are read under the global lock)
  void* status_handle_ = nullptr;  // SERVICE_STATUS_HANDLE, never closed (the system owns it)
  bool console_installed_ = false;
  std::string status_text_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_SCM_SERVICE_CONTROL_H_
