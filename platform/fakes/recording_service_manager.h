#ifndef QUILLON_PLATFORM_FAKES_RECORDING_SERVICE_MANAGER_H_
#define QUILLON_PLATFORM_FAKES_RECORDING_SERVICE_MANAGER_H_

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/service_manager.h"

namespace quillon {

// A service manager held in memory, for tests of the console installer. It keeps the
// installed services with their state and records every call ("Install TALVEN", "Stop
// TALVEN", ...). Start makes a service running; Stop makes it stop pending, and the states
// that later queries report come from the queue set with QueueStates (the last queued state
// stays); with an empty queue a stop pending service reads as stopped, and a second Stop
// before that query fails with kErrorServiceCannotAcceptControl. Any operation can be made to
// fail with FailNext. Keeps the contract of platform/testing/service_manager_contract.h.
// Thread-safe.
class RecordingServiceManager : public ServiceManager {
 public:
  struct Service {
    std::string display_name;
    std::string program_path;
    ServiceState state = ServiceState::kStopped;
  };

  Status Connect() override;
  Status Install(const std::string& name, const std::string& display_name,
                 const std::string& program_path) override;
  Status Open(const std::string& name) override;
  Status Start(const std::string& name) override;
  Status Stop(const std::string& name) override;
  Status QueryState(const std::string& name, ServiceState* state) override;
  Status Delete(const std::string& name) override;
  std::string ErrorMessage(Status code) override;

  // Makes the next call of `operation` ("Connect", "Install", "Open", "Start", "Stop",
  // "QueryState", "Delete") fail with `status` (once).
  void FailNext(const std::string& operation, Status status);
  // States reported by QueryState after a Stop, one per query.
  void QueueStates(std::vector<ServiceState> states);
  // Puts a service in place as if installed earlier.
  void AddService(const std::string& name, const Service& service);
  bool Has(const std::string& name);
  Service Get(const std::string& name);
  // Every call so far as "Operation name".
  std::vector<std::string> calls();

 private:
  // Records the call; returns the injected failure for it, or 0.
  Status Enter(const std::string& operation, const std::string& name);

  std::mutex mu_;
  std::map<std::string, Service> services_;
  std::map<std::string, Status> failures_;
  std::deque<ServiceState> queued_states_;
  std::vector<std::string> calls_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_FAKES_RECORDING_SERVICE_MANAGER_H_
