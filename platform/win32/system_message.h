#ifndef QUILLON_PLATFORM_WIN32_SYSTEM_MESSAGE_H_
#define QUILLON_PLATFORM_WIN32_SYSTEM_MESSAGE_H_

#include <string>

#include "platform/status.h"

namespace quillon {

// The system's English message for a Windows error number, UTF-8, without the line end the
// system puts after it; the message in the user's language when there is no English one;
// empty when the system knows none. Thread-safe.
std::string SystemMessage(Status code);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_SYSTEM_MESSAGE_H_
