// A service program for the tests of the service backends (scm_service_test.cc), run by the
// service control manager: `service_stub.exe NAME` serves the service NAME through
// ScmServiceControl until the stop control; `service_stub.exe NAME fail` reports start
// pending and then stopped with exit code kStubFailure, as a service whose start fails.
#include <windows.h>

#include <string>

#include "platform/win32/scm_service_control.h"

namespace {

constexpr uint32_t kStubFailure = 1064;  // ERROR_EXCEPTION_IN_SERVICE

}  // namespace

int main(int argc, char** argv) {
  using namespace quillon;
  if (argc < 2) return 2;
  const std::string name = argv[1];
  const bool fail = argc > 2 && std::string(argv[2]) == "fail";
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ScmServiceControl control;
  const Status status = control.RunDispatcher(name, [&] {
    ServiceStatusRecord record;
    const auto report = [&](ServiceState state, uint32_t accepted, uint32_t exit_code) {
      record.current_state = state;
      record.controls_accepted = accepted;
      record.win32_exit_code = exit_code;
      record.check_point = state == ServiceState::kStartPending ? 1 : 0;
      record.wait_hint = state == ServiceState::kStartPending ? 3000 : 0;
      control.SetStatus(record);
    };
    if (control.RegisterControlHandler(name, [&](uint32_t code) -> uint32_t {
          if (code == kServiceControlStop) {
            report(ServiceState::kStopPending, 0, 0);
            SetEvent(stop);
          }
          return 0;
        }) != kOk) {
      return;
    }
    report(ServiceState::kStartPending, 0, 0);
    if (fail) {
      report(ServiceState::kStopped, 0, kStubFailure);
      return;
    }
    report(ServiceState::kRunning, kServiceAcceptStop, 0);
    WaitForSingleObject(stop, INFINITE);
    report(ServiceState::kStopped, 0, 0);
  });
  CloseHandle(stop);
  return status == kOk ? 0 : 1;
}
