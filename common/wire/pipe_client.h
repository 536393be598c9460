#ifndef QUILLON_COMMON_WIRE_PIPE_CLIENT_H_
#define QUILLON_COMMON_WIRE_PIPE_CLIENT_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/status.h"

namespace quillon {

// The two calls the administration programs (the GUI and quillonctl) make on the service's
// pipes, in the format of common/wire/pipe_format.h. Each is one exchange of the one-shot
// client (platform/pipe.h), which waits in the queue while the service serves another
// client; `timeout_ms` bounds the whole exchange (kWaitInfinite: no limit). Thread-safe.

// Sends the status query kStatusQueryRequest in a zero-filled record of kPipeRecordSize bytes
// on ORNA_PIPE and receives the reply, whose text is not looked at. 0 when the service
// answered, that is when it runs; otherwise the call's status (kErrorNotFound when no service
// serves the pipe, kErrorTimeout, ...).
Status ProbeService(uint32_t timeout_ms);

// Sends one parts-changed request of `size` bytes on ORNAPartsChange and receives the reply
// into a record of kPipeRecordSize bytes. 0 when the service replied, and *reply_text (when
// given) holds the reply's text up to its first zero; otherwise the call's status and
// *reply_text is left as it was.
Status SendPartsChanged(const char* request, size_t size, uint32_t timeout_ms,
                        std::string* reply_text);

}  // namespace quillon

#endif  // QUILLON_COMMON_WIRE_PIPE_CLIENT_H_
