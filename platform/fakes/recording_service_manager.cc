#include "platform/fakes/recording_service_manager.h"

namespace quillon {

Status RecordingServiceManager::Enter(const std::string& operation, const std::string& name) {
  calls_.push_back(name.empty() ? operation : operation + " " + name);
  auto it = failures_.find(operation);
  if (it == failures_.end()) return kOk;
  const Status status = it->second;
  failures_.erase(it);
  return status;
}

Status RecordingServiceManager::Connect() {
  std::lock_guard<std::mutex> lock(mu_);
  return Enter("Connect", "");
}

Status RecordingServiceManager::Install(const std::string& name, const std::string& display_name,
                                        const std::string& program_path) {
  std::lock_guard<std::mutex> lock(mu_);
  if (Status s = Enter("Install", name)) return s;
  if (services_.count(name)) return kErrorServiceExists;
  services_[name] = Service{display_name, program_path, ServiceState::kStopped};
  return kOk;
}

Status RecordingServiceManager::Open(const std::string& name) {
  std::lock_guard<std::mutex> lock(mu_);
  if (Status s = Enter("Open", name)) return s;
  return services_.count(name) ? kOk : kErrorServiceDoesNotExist;
}

Status RecordingServiceManager::Start(const std::string& name) {
  std::lock_guard<std::mutex> lock(mu_);
  if (Status s = Enter("Start", name)) return s;
  auto it = services_.find(name);
  if (it == services_.end()) return kErrorServiceDoesNotExist;
  if (it->second.state != ServiceState::kStopped) return kErrorServiceAlreadyRunning;
  it->second.state = ServiceState::kRunning;
  return kOk;
}

Status RecordingServiceManager::Stop(const std::string& name) {
  std::lock_guard<std::mutex> lock(mu_);
  if (Status s = Enter("Stop", name)) return s;
  auto it = services_.find(name);
  if (it == services_.end()) return kErrorServiceDoesNotExist;
  if (it->second.state == ServiceState::kStopped) return kErrorServiceNotActive;
  // A stop already under way takes no second one, as with the real manager.
  if (it->second.state == ServiceState::kStopPending) return kErrorServiceCannotAcceptControl;
  it->second.state = ServiceState::kStopPending;
  return kOk;
}

Status RecordingServiceManager::QueryState(const std::string& name, ServiceState* state) {
  std::lock_guard<std::mutex> lock(mu_);
  if (Status s = Enter("QueryState", name)) return s;
  auto it = services_.find(name);
  if (it == services_.end()) return kErrorServiceDoesNotExist;
  if (it->second.state == ServiceState::kStopPending) {
    if (queued_states_.empty()) {
      it->second.state = ServiceState::kStopped;
    } else {
      it->second.state = queued_states_.front();
      if (queued_states_.size() > 1) queued_states_.pop_front();
    }
  }
  *state = it->second.state;
  return kOk;
}

Status RecordingServiceManager::Delete(const std::string& name) {
  std::lock_guard<std::mutex> lock(mu_);
  if (Status s = Enter("Delete", name)) return s;
  return services_.erase(name) ? kOk : kErrorServiceDoesNotExist;
}

std::string RecordingServiceManager::ErrorMessage(Status code) { return ServiceErrorText(code); }

void RecordingServiceManager::FailNext(const std::string& operation, Status status) {
  std::lock_guard<std::mutex> lock(mu_);
  failures_[operation] = status;
}

void RecordingServiceManager::QueueStates(std::vector<ServiceState> states) {
  std::lock_guard<std::mutex> lock(mu_);
  queued_states_.assign(states.begin(), states.end());
}

void RecordingServiceManager::AddService(const std::string& name, const Service& service) {
  std::lock_guard<std::mutex> lock(mu_);
  services_[name] = service;
}

bool RecordingServiceManager::Has(const std::string& name) {
  std::lock_guard<std::mutex> lock(mu_);
  return services_.count(name) != 0;
}

RecordingServiceManager::Service RecordingServiceManager::Get(const std::string& name) {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = services_.find(name);
  return it == services_.end() ? Service{} : it->second;
}

std::vector<std::string> RecordingServiceManager::calls() {
  std::lock_guard<std::mutex> lock(mu_);
  return calls_;
}

}  // namespace quillon
