#ifndef QUILLON_PLATFORM_ERROR_TEXTS_H_
#define QUILLON_PLATFORM_ERROR_TEXTS_H_

#include "platform/status.h"

namespace quillon {

// The standard message text of a status number, in the wording operators know from the
// platform the numbers come from ("Access is denied.", "The specified service already
// exists."), without a line end. Null when the number has no text in this system's one table
// of them. The text is static. Thread-safe.
const char* StandardErrorText(Status code);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_ERROR_TEXTS_H_
