#include "platform/win32/scm_service_control.h"

#include <windows.h>

#include <utility>

#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

// The system calls the service entry point, the control handler and the console handler
// without a way back to an object (the entry point and console handler take no context), so
// the one live object's callbacks are kept here. The lock is held while a handler runs: the
// destructor waits for a running handler before the handlers it refers to go away.
std::mutex g_mu;
const std::function<void()>* g_entry = nullptr;
// Set once the entry point has returned: the dispatcher may return as soon as the service has
// reported stopped, while the entry point is still on its way out.
HANDLE g_entry_done = nullptr;
bool g_entry_started = false;
ServiceControlHandler g_control_handler;
ConsoleControlHandler g_console_handler;

void WINAPI ServiceEntry(DWORD /*argc*/, LPWSTR* /*argv*/) {
  // RunDispatcher keeps the function and the event alive until this entry point has returned.
  const std::function<void()>* entry;
  HANDLE done;
  {
    std::lock_guard<std::mutex> lock(g_mu);
    entry = g_entry;
    done = g_entry_done;
    g_entry_started = true;
  }
  if (entry != nullptr) (*entry)();
  if (done != nullptr) SetEvent(done);
}

DWORD WINAPI ControlEntry(DWORD control, DWORD /*event_type*/, void* /*event_data*/,
                          void* /*context*/) {
  std::lock_guard<std::mutex> lock(g_mu);
  if (!g_control_handler) return ERROR_CALL_NOT_IMPLEMENTED;
  return g_control_handler(control);
}

BOOL WINAPI ConsoleEntry(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  std::lock_guard<std::mutex> lock(g_mu);
  if (!g_console_handler) return FALSE;
  return g_console_handler(event == CTRL_C_EVENT ? kCtrlCEvent : kCtrlBreakEvent) ? TRUE : FALSE;
}

}  // namespace

ScmServiceControl::ScmServiceControl() = default;

ScmServiceControl::~ScmServiceControl() {
  bool console_installed;
  {
    std::lock_guard<std::mutex> lock(mu_);
    console_installed = console_installed_;
  }
  if (console_installed) SetConsoleCtrlHandler(ConsoleEntry, FALSE);
  std::lock_guard<std::mutex> lock(g_mu);
  g_control_handler = nullptr;
  g_console_handler = nullptr;
  g_entry = nullptr;
}

Status ScmServiceControl::RunDispatcher(const std::string& name,
                                        const std::function<void()>& entry) {
  std::wstring wide_name = Widen(name);
  SERVICE_TABLE_ENTRYW table[] = {{wide_name.data(), ServiceEntry}, {nullptr, nullptr}};
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (done == nullptr) return GetLastError();
  {
    std::lock_guard<std::mutex> lock(g_mu);
    g_entry = &entry;
    g_entry_done = done;
    g_entry_started = false;
  }
  const Status status = StartServiceCtrlDispatcherW(table) ? kOk : GetLastError();
  bool started;
  {
    std::lock_guard<std::mutex> lock(g_mu);
    started = g_entry_started;
  }
  if (started) WaitForSingleObject(done, INFINITE);
  {
    std::lock_guard<std::mutex> lock(g_mu);
    g_entry = nullptr;
    g_entry_done = nullptr;
  }
  CloseHandle(done);
  return status;
}

Status ScmServiceControl::RegisterControlHandler(const std::string& name,
                                                 ServiceControlHandler handler) {
  {
    // Installed before the registration so that no control is lost in between.
    std::lock_guard<std::mutex> lock(g_mu);
    g_control_handler = std::move(handler);
  }
  SERVICE_STATUS_HANDLE handle =
      RegisterServiceCtrlHandlerExW(Widen(name).c_str(), ControlEntry, nullptr);
  if (handle == nullptr) {
    const Status status = GetLastError();
    std::lock_guard<std::mutex> lock(g_mu);
    g_control_handler = nullptr;
    return status != kOk ? status : kErrorInvalidFunction;
  }
  std::lock_guard<std::mutex> lock(mu_);
  status_handle_ = handle;
  return kOk;
}

Status ScmServiceControl::SetStatus(const ServiceStatusRecord& status) {
  SERVICE_STATUS_HANDLE handle;
  {
    std::lock_guard<std::mutex> lock(mu_);
    handle = static_cast<SERVICE_STATUS_HANDLE>(status_handle_);
  }
  if (handle == nullptr) return kErrorInvalidHandle;
  SERVICE_STATUS record = {};
  record.dwServiceType = status.service_type;
  record.dwCurrentState = static_cast<DWORD>(status.current_state);
  record.dwControlsAccepted = status.controls_accepted;
  record.dwWin32ExitCode = status.win32_exit_code;
  record.dwServiceSpecificExitCode = status.service_specific_exit_code;
  record.dwCheckPoint = status.check_point;
  record.dwWaitHint = status.wait_hint;
  if (SetServiceStatus(handle, &record)) return kOk;
  const Status error = GetLastError();
  return error != kOk ? error : kErrorInvalidFunction;
}

Status ScmServiceControl::SetStatusText(const std::string& text) {
  std::lock_guard<std::mutex> lock(mu_);
  status_text_ = text;
  return kOk;
}

std::string ScmServiceControl::status_text() {
  std::lock_guard<std::mutex> lock(mu_);
  return status_text_;
}

Status ScmServiceControl::SetConsoleHandler(ConsoleControlHandler handler) {
  {
    std::lock_guard<std::mutex> lock(g_mu);
    g_console_handler = std::move(handler);
  }
  std::lock_guard<std::mutex> lock(mu_);
  if (console_installed_) return kOk;
  if (!SetConsoleCtrlHandler(ConsoleEntry, TRUE)) return GetLastError();
  console_installed_ = true;
  return kOk;
}

}  // namespace quillon
