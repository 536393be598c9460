#include "platform/error_texts.h"

namespace quillon {
namespace {

struct ErrorText {
  Status code;
  const char* text;
};

// The one table of texts: the system information's error messages and the service
// manager's failure texts both come from here, so every program shows the same words.
constexpr ErrorText kErrorTexts[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {13, "The data is invalid."},
    {19, "The media is write protected."},
    {29, "The system cannot write to the specified device."},
    {30, "The system cannot read from the specified device."},
    {87, "The parameter is incorrect."},
    {120, "This function is not supported on this system."},
    {122, "The data area passed to a system call is too small."},
    {161, "The specified path is invalid."},
    {183, "Cannot create a file when that file already exists."},
    {231, "All pipe instances are busy."},
    {234, "More data is available."},
    {1015, "The registry is corrupted."},
    {1016, "An I/O operation initiated by the registry failed unrecoverably."},
    {1052, "The requested control is not valid for this service."},
    {1053, "The service did not respond to the start or control request in a timely fashion."},
    {1056, "An instance of the service is already running."},
    {1058,
     "The service cannot be started, either because it is disabled or because it has no "
     "enabled devices associated with it."},
    {1060, "The specified service does not exist as an installed service."},
    {1061, "The service cannot accept control messages at this time."},
    {1062, "The service has not been started."},
    {1063, "The service process could not connect to the service controller."},
    {1067, "The process terminated unexpectedly."},
    {1068, "The dependency service or group failed to start."},
    {1072, "The specified service has been marked for deletion."},
    {1073, "The specified service already exists."},
    {1460, "This operation returned because the timeout period expired."},
    {1722, "The RPC server is unavailable."},
};

}  // namespace

const char* StandardErrorText(Status code) {
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.code == code) return entry.text;
  }
  return nullptr;
}

}  // namespace quillon
