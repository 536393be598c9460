#include "common/wire/pipe_client.h"

#include <cstring>

#include "common/wire/pipe_format.h"
#include "platform/pipe.h"

namespace quillon {

Status ProbeService(uint32_t timeout_ms) {
  char request[kPipeRecordSize] = {};
  std::memcpy(request, kStatusQueryRequest, sizeof kStatusQueryRequest);
  char reply[kPipeRecordSize];
  size_t received = 0;
  return CallPipeTimed(kCommandPipeName, request, sizeof request, reply, sizeof reply, &received,
                       timeout_ms);
}

Status SendPartsChanged(const char* request, size_t size, uint32_t timeout_ms,
                        std::string* reply_text) {
  char reply[kPipeRecordSize] = {};
  size_t received = 0;
  const Status status = CallPipeTimed(kPartsChangePipeName, request, size, reply, sizeof reply,
                                      &received, timeout_ms);
  if (status == kOk && reply_text != nullptr)
    *reply_text = std::string(reply, strnlen(reply, received));
  return status;
}

}  // namespace quillon
