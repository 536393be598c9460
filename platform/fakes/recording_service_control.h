#ifndef QUILLON_PLATFORM_FAKES_RECORDING_SERVICE_CONTROL_H_
#define QUILLON_PLATFORM_FAKES_RECORDING_SERVICE_CONTROL_H_

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/service_control.h"

namespace quillon {

// ServiceControl for tests: records every status report, keeps the registered handlers so
// the test can deliver controls and console events, and fails where the test says.
// Thread-safe; handlers are called on the test's thread.
class RecordingServiceControl : public ServiceControl {
 public:
  Status RunDispatcher(const std::string& name, const std::function<void()>& entry) override;
  Status RegisterControlHandler(const std::string& name, ServiceControlHandler handler) override;
  Status SetStatus(const ServiceStatusRecord& status) override;
  Status SetStatusText(const std::string& text) override;
  Status SetConsoleHandler(ConsoleControlHandler handler) override;

  // Delivers a control to the registered handler; returns its result, or 1 when none is
  // registered.
  uint32_t SendControl(uint32_t control);
  // Delivers a console event; false when no handler is registered or it did not handle it.
  bool SendConsoleEvent(uint32_t event);
  bool has_control_handler();
  bool has_console_handler();
  // Waits up to `timeout_ms` until a console handler is installed; true when it is.
  bool WaitForConsoleHandler(int timeout_ms);

  std::vector<ServiceStatusRecord> statuses();
  // Every SetStatusText text so far, in order.
  std::vector<std::string> status_texts();
  // Waits up to `timeout_ms` until a report with `state` has been made; true when it was.
  bool WaitForState(ServiceState state, int timeout_ms);

  // Settings, made before the code under test runs.
  void set_started_by_manager(bool v);
  void set_register_failure(Status s);
  // The report with this 0-based number (and only it) fails with kErrorInvalidHandle.
  void set_failing_report(int index);

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  bool started_by_manager_ = true;
  Status register_failure_ = kOk;
  int failing_report_ = -1;
  ServiceControlHandler control_handler_;
  ConsoleControlHandler console_handler_;
  std::vector<ServiceStatusRecord> statuses_;
  std::vector<std::string> status_texts_;
  int reports_ = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_FAKES_RECORDING_SERVICE_CONTROL_H_
