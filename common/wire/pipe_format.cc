#include "common/wire/pipe_format.h"

namespace quillon {

PartsChangedRequest NoPartsChanged() {
  PartsChangedRequest request;
  request.fill(kPartUnchanged);
  request.back() = '\0';
  return request;
}

void FlagPartChanged(int index, PartsChangedRequest* request) {
  // The last byte is the request's terminating zero, never a flag.
  if (index < 0 || static_cast<size_t>(index) >= kPartsChangedRequestSize - 1) return;
  (*request)[index] = kPartChanged;
}

bool PartFlagged(const char* request, size_t received, int index) {
  return index >= 0 && static_cast<size_t>(index) < received && request[index] == kPartChanged;
}

}  // namespace quillon
