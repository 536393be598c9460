#include "platform/service_manager.h"

namespace quillon {

std::string ServiceErrorText(Status code) {
  // The texts the installer shows after "Unable to install TALVEN - " and friends; they are the
  // platform's standard texts for these numbers, so operators see the same words everywhere.
  switch (code) {
    case kOk:
      return "The operation completed successfully.";
    case kErrorNotFound:
      return "The system cannot find the file specified.";
    case kErrorAccessDenied:
      return "Access is denied.";
    case kErrorNotEnoughMemory:
      return "Not enough memory resources are available to process this command.";
    case kErrorInvalidParameter:
      return "The parameter is incorrect.";
    case kErrorServiceRequestTimeout:
      return "The service did not respond to the start or control request in a timely "
             "fashion.";
    case kErrorServiceAlreadyRunning:
      return "An instance of the service is already running.";
    case kErrorServiceDisabled:
      return "The service cannot be started, either because it is disabled or because it has "
             "no enabled devices associated with it.";
    case kErrorServiceDoesNotExist:
      return "The specified service does not exist as an installed service.";
    case kErrorServiceCannotAcceptControl:
      return "The service cannot accept control messages at this time.";
    case kErrorServiceNotActive:
      return "The service has not been started.";
    case kErrorFailedServiceControllerConnect:
      return "The service process could not connect to the service controller.";
    case kErrorProcessAborted:
      return "The process terminated unexpectedly.";
    case kErrorServiceDependencyFail:
      return "The dependency service or group failed to start.";
    case kErrorServiceMarkedForDelete:
      return "The specified service has been marked for deletion.";
    case kErrorServiceExists:
      return "The specified service already exists.";
    case kErrorTimeout:
      return "This operation returned because the timeout period expired.";
    case kErrorRpcServerUnavailable:
      return "The RPC server is unavailable.";
    default:
      return "";
  }
}

}  // namespace quillon
