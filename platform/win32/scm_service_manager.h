#ifndef QUILLON_PLATFORM_WIN32_SCM_SERVICE_MANAGER_H_
#define QUILLON_PLATFORM_WIN32_SCM_SERVICE_MANAGER_H_

#include <cstdint>
#include <string>

#include "platform/service_manager.h"

namespace quillon {

// ServiceManager over the Windows service control manager of this machine (OpenSCManagerW
// with all access). Statuses are the manager's own error numbers: 1073 exists, 1060 not
// installed, 1062 not running, 1056 already running, 1061 cannot accept the control now,
// 1072 marked for deletion, 5 access denied.
// - Install creates an own-process service that may interact with the desktop (0x110),
//   started automatically at boot, error control normal, under the local system account, with
//   the program path quoted as its image path.
// - Start calls StartServiceW and then looks at the state every `poll_ms` until it leaves
//   start pending: 0 once running; the service's exit code (kErrorProcessAborted when it gave
//   none) when it stopped instead; kErrorServiceRequestTimeout when its check point did not
//   advance within its wait hint (at least `stall_ms`).
// - Open asks for all access to the service, so it fails with 5 for a caller who could not
//   stop, start or delete it.
// - Stop sends the stop control; Delete marks the service for deletion, which the manager
//   completes once the service has stopped and every handle to it is closed.
// Not thread-safe: one thread at a time.
class ScmServiceManager : public ServiceManager {
 public:
  explicit ScmServiceManager(uint32_t poll_ms = 100, uint32_t stall_ms = 30000);
  ~ScmServiceManager() override;
  ScmServiceManager(const ScmServiceManager&) = delete;
  ScmServiceManager& operator=(const ScmServiceManager&) = delete;

  Status Connect() override;
  Status Install(const std::string& name, const std::string& display_name,
                 const std::string& program_path) override;
  Status Open(const std::string& name) override;
  Status Start(const std::string& name) override;
  Status Stop(const std::string& name) override;
  Status QueryState(const std::string& name, ServiceState* state) override;
  Status Delete(const std::string& name) override;
  // The system's message text (FormatMessageW), else ServiceErrorText(code).
  std::string ErrorMessage(Status code) override;

 private:
  // Opens the service `name` with `access` into *service (a SC_HANDLE the caller closes).
  Status OpenWith(const std::string& name, uint32_t access, void** service);

  uint32_t poll_ms_;
  uint32_t stall_ms_;
  void* manager_ = nullptr;  // SC_HANDLE of the manager, once connected
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_SCM_SERVICE_MANAGER_H_
