#include "platform/error_texts.h"
#include "platform/service_manager.h"

namespace quillon {
namespace {

// The statuses service management reports with their standard texts. The others, above all
// kErrorInvalidFunction ("no better number"), are left to the manager's own detail text.
constexpr Status kServiceStatuses[] = {
    kOk,
    kErrorNotFound,
    kErrorAccessDenied,
    kErrorNotEnoughMemory,
    kErrorInvalidParameter,
    kErrorServiceRequestTimeout,
    kErrorServiceAlreadyRunning,
    kErrorServiceDisabled,
    kErrorServiceDoesNotExist,
    kErrorServiceCannotAcceptControl,
    kErrorServiceNotActive,
    kErrorFailedServiceControllerConnect,
    kErrorProcessAborted,
    kErrorServiceDependencyFail,
    kErrorServiceMarkedForDelete,
    kErrorServiceExists,
    kErrorTimeout,
    kErrorRpcServerUnavailable,
};

}  // namespace

std::string ServiceErrorText(Status code) {
  // The texts the installer shows after "Unable to install TALVEN - " and friends, from the
  // system's one table, so operators see the same words everywhere.
  for (const Status status : kServiceStatuses) {
    if (status == code) {
      const char* text = StandardErrorText(code);
      return text != nullptr ? text : "";
    }
  }
  return "";
}

}  // namespace quillon
