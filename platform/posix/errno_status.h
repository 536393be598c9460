#ifndef QUILLON_PLATFORM_POSIX_ERRNO_STATUS_H_
#define QUILLON_PLATFORM_POSIX_ERRNO_STATUS_H_

#include <cerrno>

#include "platform/status.h"

namespace quillon {

// The status a system error number stands for, with the Windows numbers where the meaning is
// the same, so both backends report alike. Unknown numbers map to kErrorInvalidFunction.
inline Status StatusFromErrno(int err) {
  switch (err) {
    case 0:
      return kOk;
    case ENOENT:
    case ECONNREFUSED:
    case ENOTDIR:
      return kErrorNotFound;
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case EBADF:
      return kErrorInvalidHandle;
    case ENOMEM:
    case EMFILE:
    case ENFILE:
    case EAGAIN:
      return kErrorNotEnoughMemory;
    case EINVAL:
      return kErrorInvalidParameter;
    case ENAMETOOLONG:
      return kErrorBadPathname;
    case EADDRINUSE:
      return kErrorPipeBusy;
    case ETIMEDOUT:
      return kErrorTimeout;
    default:
      return kErrorInvalidFunction;
  }
}

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_ERRNO_STATUS_H_
