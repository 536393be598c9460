#ifndef QUILLON_PLATFORM_SERVICE_MANAGER_H_
#define QUILLON_PLATFORM_SERVICE_MANAGER_H_

#include <cstdint>
#include <string>

#include "platform/status.h"

namespace quillon {

// Service states, numbered as the Windows service control manager numbers them.
enum class ServiceState : uint32_t {
  kStopped = 1,
  kStartPending = 2,
  kStopPending = 3,
  kRunning = 4,
  kContinuePending = 5,
  kPausePending = 6,
  kPaused = 7,
};

// Statuses of service management besides those in status.h (same numbers as on Windows).
inline constexpr Status kErrorServiceRequestTimeout = 1053;
inline constexpr Status kErrorServiceAlreadyRunning = 1056;
inline constexpr Status kErrorServiceDisabled = 1058;
inline constexpr Status kErrorServiceCannotAcceptControl = 1061;
inline constexpr Status kErrorProcessAborted = 1067;
inline constexpr Status kErrorServiceDependencyFail = 1068;
inline constexpr Status kErrorServiceMarkedForDelete = 1072;
inline constexpr Status kErrorRpcServerUnavailable = 1722;

// The system's message text for a status of service management or of the common file and
// access errors, without a line end ("The specified service already exists."). Empty when the
// code has no text here. Thread-safe.
std::string ServiceErrorText(Status code);

// The service control manager as the console installer sees it: install, open, start, stop,
// query and delete one service by name. Every call returns 0 on success or a status with the
// Windows number of its meaning (kErrorServiceExists, kErrorServiceDoesNotExist,
// kErrorServiceNotActive, kErrorAccessDenied, kErrorRpcServerUnavailable when the manager
// cannot be reached, ...). ErrorMessage gives the text of the last failure.
// One object is used by one thread at a time.
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;

  // Connects to the manager (OpenSCManager). Every other call connects on demand as well; this
  // one exists so that callers can report a failed connection on its own.
  virtual Status Connect() = 0;

  // Creates the service `name`, shown as `display_name`, running `program_path`, started
  // automatically at boot, as its own process under the system account. Does not start it.
  // kErrorServiceExists when a service of that name is already installed (nothing changed).
  virtual Status Install(const std::string& name, const std::string& display_name,
                         const std::string& program_path) = 0;

  // Checks that the service is installed (OpenService): 0 or kErrorServiceDoesNotExist.
  virtual Status Open(const std::string& name) = 0;

  // Starts the service and waits until it reports running or fails to start.
  // kErrorServiceAlreadyRunning when it already runs; kErrorProcessAborted or
  // kErrorServiceRequestTimeout when the start failed.
  virtual Status Start(const std::string& name) = 0;

  // Sends the stop control and returns without waiting for the stop. 0 when the control was
  // accepted (the service is stopping); kErrorServiceNotActive when the service does not run;
  // kErrorServiceCannotAcceptControl when it is already stopping.
  virtual Status Stop(const std::string& name) = 0;

  // The current state of the service in *state (untouched on failure).
  virtual Status QueryState(const std::string& name, ServiceState* state) = 0;

  // Removes the service's registration (disables it and deletes its definition). A running
  // service is not stopped by this. kErrorServiceDoesNotExist when it is not installed.
  virtual Status Delete(const std::string& name) = 0;

  // The message text of `code` as last reported by this manager (the system's detail text for
  // a failure without a Windows counterpart), or ServiceErrorText(code). Without a line end;
  // empty when there is no text.
  virtual std::string ErrorMessage(Status code) = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_SERVICE_MANAGER_H_
