#include "platform/fakes/recording_service_control.h"

#include <chrono>

namespace quillon {

Status RecordingServiceControl::RunDispatcher(const std::string& /*name*/,
                                              const std::function<void()>& entry) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (!started_by_manager_) return kErrorFailedServiceControllerConnect;
  }
  entry();
  return kOk;
}

Status RecordingServiceControl::RegisterControlHandler(const std::string& /*name*/,
                                                       ServiceControlHandler handler) {
  std::lock_guard<std::mutex> lock(mu_);
  if (register_failure_ != kOk) return register_failure_;
  control_handler_ = std::move(handler);
  return kOk;
}

Status RecordingServiceControl::SetStatus(const ServiceStatusRecord& status) {
  std::lock_guard<std::mutex> lock(mu_);
  const int index = reports_++;
  if (index == failing_report_) return kErrorInvalidHandle;
  statuses_.push_back(status);
  cv_.notify_all();
  return kOk;
}

Status RecordingServiceControl::SetConsoleHandler(ConsoleControlHandler handler) {
  std::lock_guard<std::mutex> lock(mu_);
  console_handler_ = std::move(handler);
  cv_.notify_all();
  return kOk;
}

uint32_t RecordingServiceControl::SendControl(uint32_t control) {
  ServiceControlHandler handler;
  {
    std::lock_guard<std::mutex> lock(mu_);
    handler = control_handler_;
  }
  return handler ? handler(control) : 1;
}

bool RecordingServiceControl::SendConsoleEvent(uint32_t event) {
  ConsoleControlHandler handler;
  {
    std::lock_guard<std::mutex> lock(mu_);
    handler = console_handler_;
  }
  return handler && handler(event);
}

bool RecordingServiceControl::has_control_handler() {
  std::lock_guard<std::mutex> lock(mu_);
  return static_cast<bool>(control_handler_);
}

bool RecordingServiceControl::has_console_handler() {
  std::lock_guard<std::mutex> lock(mu_);
  return static_cast<bool>(console_handler_);
}

bool RecordingServiceControl::WaitForConsoleHandler(int timeout_ms) {
  std::unique_lock<std::mutex> lock(mu_);
  return cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                      [&] { return static_cast<bool>(console_handler_); });
}

std::vector<ServiceStatusRecord> RecordingServiceControl::statuses() {
  std::lock_guard<std::mutex> lock(mu_);
  return statuses_;
}

bool RecordingServiceControl::WaitForState(ServiceState state, int timeout_ms) {
  std::unique_lock<std::mutex> lock(mu_);
  return cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
    for (const auto& s : statuses_) {
      if (s.current_state == state) return true;
    }
    return false;
  });
}

void RecordingServiceControl::set_started_by_manager(bool v) {
  std::lock_guard<std::mutex> lock(mu_);
  started_by_manager_ = v;
}

void RecordingServiceControl::set_register_failure(Status s) {
  std::lock_guard<std::mutex> lock(mu_);
  register_failure_ = s;
}

void RecordingServiceControl::set_failing_report(int index) {
  std::lock_guard<std::mutex> lock(mu_);
  failing_report_ = index;
}

Status RecordingServiceControl::SetStatusText(const std::string& text) {
  std::lock_guard<std::mutex> lock(mu_);
  status_texts_.push_back(text);
  return kOk;
}

std::vector<std::string> RecordingServiceControl::status_texts() {
  std::lock_guard<std::mutex> lock(mu_);
  return status_texts_;
}

}  // namespace quillon
