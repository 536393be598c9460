// quillon-pipe-call NAME REQUEST: one exchange with the service's socket NAME (in the runtime
// directory), as the administration program makes it: REQUEST and a terminating zero, padded
// with zeros to 24 bytes for ORNAPartsChange. Prints the reply's text and exits with the call's
// status (0 success, 2 no such socket, 5 access denied, 1 for a status above 255). The package tier
// runs it as an operator and as a stranger.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/wire/pipe_format.h"
#include "platform/pipe.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quillon-pipe-call NAME REQUEST\n");
    return 64;
  }
  char request[quillon::kPartsChangedRequestSize] = {};
  std::strncpy(request, argv[2], sizeof request - 1);
  // ORNA_PIPE takes a short text, ORNAPartsChange the 24-byte record.
  const size_t size = std::strcmp(argv[1], quillon::kCommandPipeName) == 0
                          ? std::strlen(request) + 1
                          : sizeof request;
  char reply[quillon::kPipeRecordSize + 1] = {};  // a record and a terminating zero
  size_t received = 0;
  const quillon::Status status = quillon::CallPipeTimed(argv[1], request, size, reply,
                                                        quillon::kPipeRecordSize, &received, 10000);
  if (status == quillon::kOk) std::printf("%s\n", reply);
  if (status != quillon::kOk) std::fprintf(stderr, "quillon-pipe-call: status %u\n", status);
  return status < 256 ? static_cast<int>(status) : 1;
}
