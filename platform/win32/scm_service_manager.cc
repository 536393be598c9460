#include "platform/win32/scm_service_manager.h"

#include <windows.h>

#include "platform/win32/system_message.h"
#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

// The error of the call that just failed; never 0, so a failure is never taken for success.
Status LastError() {
  const Status status = GetLastError();
  return status != kOk ? status : kErrorInvalidFunction;
}

// Closes a service handle when the scope ends.
class ServiceHandle {
 public:
  ServiceHandle() = default;
  ~ServiceHandle() {
    if (handle_ != nullptr) CloseServiceHandle(static_cast<SC_HANDLE>(handle_));
  }
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
  void** out() { return &handle_; }
  SC_HANDLE get() const { return static_cast<SC_HANDLE>(handle_); }

 private:
  void* handle_ = nullptr;
};

}  // namespace

ScmServiceManager::ScmServiceManager(uint32_t poll_ms, uint32_t stall_ms)
    : poll_ms_(poll_ms), stall_ms_(stall_ms) {}

ScmServiceManager::~ScmServiceManager() {
  if (manager_ != nullptr) CloseServiceHandle(static_cast<SC_HANDLE>(manager_));
}

Status ScmServiceManager::Connect() {
  if (manager_ != nullptr) return kOk;
  manager_ = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  return manager_ != nullptr ? kOk : LastError();
}

Status ScmServiceManager::OpenWith(const std::string& name, uint32_t access, void** service) {
  Status status = Connect();
  if (status != kOk) return status;
  *service = OpenServiceW(static_cast<SC_HANDLE>(manager_), Widen(name).c_str(), access);
  return *service != nullptr ? kOk : LastError();
}

Status ScmServiceManager::Install(const std::string& name, const std::string& display_name,
                                  const std::string& program_path) {
  Status status = Connect();
  if (status != kOk) return status;
  // Quoted, so that a program directory with spaces ("C:\Program Files\...") is not split.
  const std::wstring image = L"\"" + Widen(program_path) + L"\"";
  // The dependency list is an empty multi-string (two zeros), as "no dependencies".
  SC_HANDLE service = CreateServiceW(static_cast<SC_HANDLE>(manager_), Widen(name).c_str(),
                                     Widen(display_name).c_str(), SERVICE_ALL_ACCESS,
                                     SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS,
                                     SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, image.c_str(),
                                     nullptr, nullptr, L"\0", nullptr, nullptr);
  if (service == nullptr) return LastError();
  CloseServiceHandle(service);
  return kOk;
}

Status ScmServiceManager::Open(const std::string& name) {
  // All access, as the installer's -remove and -start need: a caller without the rights
  // learns it here (5), before anything is stopped.
  ServiceHandle service;
  return OpenWith(name, SERVICE_ALL_ACCESS, service.out());
}

Status ScmServiceManager::Start(const std::string& name) {
  ServiceHandle service;
  Status status = OpenWith(name, SERVICE_START | SERVICE_QUERY_STATUS, service.out());
  if (status != kOk) return status;
  if (!StartServiceW(service.get(), 0, nullptr)) return LastError();

  // The manager gives no notice of the state, so it is looked at until the start is over.
  // A service that keeps advancing its check point may take as long as it needs.
  SERVICE_STATUS record = {};
  DWORD last_check_point = 0;
  ULONGLONG last_progress = GetTickCount64();
  for (;;) {
    if (!QueryServiceStatus(service.get(), &record)) return LastError();
    if (record.dwCurrentState == SERVICE_RUNNING) return kOk;
    if (record.dwCurrentState == SERVICE_STOPPED) {
      return record.dwWin32ExitCode != kOk ? record.dwWin32ExitCode : kErrorProcessAborted;
    }
    const ULONGLONG now = GetTickCount64();
    if (record.dwCheckPoint != last_check_point) {
      last_check_point = record.dwCheckPoint;
      last_progress = now;
    } else if (now - last_progress >
               (record.dwWaitHint > stall_ms_ ? record.dwWaitHint : stall_ms_)) {
      return kErrorServiceRequestTimeout;
    }
    Sleep(poll_ms_);
  }
}

Status ScmServiceManager::Stop(const std::string& name) {
  ServiceHandle service;
  Status status = OpenWith(name, SERVICE_STOP, service.out());
  if (status != kOk) return status;
  SERVICE_STATUS record = {};
  return ControlService(service.get(), SERVICE_CONTROL_STOP, &record) ? kOk : LastError();
}

Status ScmServiceManager::QueryState(const std::string& name, ServiceState* state) {
  ServiceHandle service;
  Status status = OpenWith(name, SERVICE_QUERY_STATUS, service.out());
  if (status != kOk) return status;
  SERVICE_STATUS record = {};
  if (!QueryServiceStatus(service.get(), &record)) return LastError();
  *state = static_cast<ServiceState>(record.dwCurrentState);
  return kOk;
}

Status ScmServiceManager::Delete(const std::string& name) {
  ServiceHandle service;
  Status status = OpenWith(name, DELETE, service.out());
  if (status != kOk) return status;
  return DeleteService(service.get()) ? kOk : LastError();
}

std::string ScmServiceManager::ErrorMessage(Status code) {
  std::string text = SystemMessage(code);
  return text.empty() ? ServiceErrorText(code) : text;
}

}  // namespace quillon
