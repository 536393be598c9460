#ifndef QUILLON_PLATFORM_POSIX_SYSTEMD_SERVICE_MANAGER_H_
#define QUILLON_PLATFORM_POSIX_SYSTEMD_SERVICE_MANAGER_H_

#include <systemd/sd-bus.h>

#include <cstdint>
#include <string>

#include "platform/posix/systemd_unit.h"
#include "platform/service_manager.h"

namespace quillon {

// Directory the unit files are written to: $QUILLON_UNIT_DIR when set and not empty, else
// /etc/systemd/system. No trailing separator.
std::string UnitDirectory();

// The status a D-Bus failure stands for (Windows numbers): no such unit → 1060, access
// refused → 5, systemd not on the bus → 1722, masked → 1058, no reply in time → 1053; other
// failures by their error number, kErrorInvalidFunction when nothing fits.
Status StatusFromBusError(const sd_bus_error* error, int result);

// ServiceManager over systemd's D-Bus API on the system bus (DBUS_SYSTEM_BUS_ADDRESS when
// set), with sd-bus. A service NAME is the unit NAME.service:
// - Install writes UnitDirectory()/NAME.service (never overwriting one that exists), reloads
//   systemd and enables the unit; a failure after writing removes the file again.
// - Open succeeds when systemd knows a unit file for it.
// - Start starts the unit and waits for the start job to finish (at most `job_timeout_ms`):
//   for a Type=notify service that is the moment it reports running.
// - Stop queues a stop job and returns; QueryState maps ActiveState (activating: start
//   pending, deactivating or a queued stop job: stop pending, active: running, inactive or
//   failed: stopped).
// - Delete disables the unit, deletes its file, reloads systemd and forgets a failed state.
// Not thread-safe: one thread at a time.
class SystemdServiceManager : public ServiceManager {
 public:
  explicit SystemdServiceManager(std::string unit_directory = UnitDirectory(),
                                 uint32_t job_timeout_ms = 180000);
  ~SystemdServiceManager() override;
  SystemdServiceManager(const SystemdServiceManager&) = delete;
  SystemdServiceManager& operator=(const SystemdServiceManager&) = delete;

  Status Connect() override;
  Status Install(const std::string& name, const std::string& display_name,
                 const std::string& program_path) override;
  Status Open(const std::string& name) override;
  Status Start(const std::string& name) override;
  Status Stop(const std::string& name) override;
  Status QueryState(const std::string& name, ServiceState* state) override;
  Status Delete(const std::string& name) override;
  std::string ErrorMessage(Status code) override;

 private:
  // Remembers a failure's detail text and returns its status.
  Status Fail(Status status, const std::string& message);
  Status FailBus(const sd_bus_error* error, int result);
  // Calls a method of the systemd manager object with no reply wanted.
  Status CallManager(const char* method, const char* signature, ...);
  Status Reload();
  // The unit's object path via LoadUnit.
  Status UnitObject(const std::string& unit, std::string* path);
  Status UnitProperty(const std::string& path, const char* property, std::string* value);
  // 0 when systemd has a unit file for `unit` (LoadState other than not-found).
  Status CheckLoaded(const std::string& unit, std::string* path);
  // Connects and reads the ActiveState of the installed service `name` ("active",
  // "inactive", ...), with the unit's object path. 0 on success; the failure of the connection,
  // of CheckLoaded or of the property read otherwise.
  Status ActiveState(const std::string& name, std::string* path, std::string* active);
  Status WriteUnitFile(const std::string& file, const std::string& text);
  std::string UnitFilePath(const std::string& name) const;
  std::string UnitFileArgument(const std::string& name) const;

  std::string unit_directory_;
  uint32_t job_timeout_ms_;
  sd_bus* bus_ = nullptr;
  Status last_status_ = 0;
  std::string last_message_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_SYSTEMD_SERVICE_MANAGER_H_
