#ifndef QUILLON_PLATFORM_RUNTIME_DIR_H_
#define QUILLON_PLATFORM_RUNTIME_DIR_H_

#include <string>

#include "platform/status.h"

namespace quillon {

// The directory that holds the service's sockets: $QUILLON_RUNTIME_DIR when it is set and not
// empty, else "/run/quillon/". Always ends with '/'.
std::string RuntimeDir();

// Creates RuntimeDir() (mode 0755, parents included) when it is missing. 0 when the directory
// exists afterwards; otherwise the status of the failing step (kErrorAccessDenied, ...).
Status EnsureRuntimeDir();

}  // namespace quillon

#endif  // QUILLON_PLATFORM_RUNTIME_DIR_H_
