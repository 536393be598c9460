// pipe_call: one exchange with the service's pipes for the end-to-end run, printing the reply
// text up to its first zero.
//
//   pipe_call.exe command TEXT   TEXT in a zero-filled record on ORNA_PIPE ("02": query)
//   pipe_call.exe parts INDEX    a parts-changed request flagging NotifyIndex INDEX
//
// Exit code 0 when the service replied, 1 when the call failed (its status is printed), 2 for
// a wrong command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/wire/pipe_client.h"
#include "common/wire/pipe_format.h"
#include "platform/pipe.h"

namespace {

constexpr uint32_t kCallTimeoutMs = 30000;

}  // namespace

int main(int argc, char** argv) {
  using namespace quillon;
  if (argc != 3) {
    std::fprintf(stderr, "usage: pipe_call (command TEXT | parts INDEX)\n");
    return 2;
  }
  const std::string what = argv[1];
  std::string reply_text;
  Status status;
  if (what == "command") {
    char request[kPipeRecordSize] = {};
    std::strncpy(request, argv[2], sizeof request - 1);
    char reply[kPipeRecordSize] = {};
    size_t received = 0;
    status = CallPipeTimed(kCommandPipeName, request, sizeof request, reply, sizeof reply,
                           &received, kCallTimeoutMs);
    reply_text.assign(reply, strnlen(reply, received));
  } else if (what == "parts") {
    PartsChangedRequest request = NoPartsChanged();
    FlagPartChanged(std::atoi(argv[2]), &request);
    status = SendPartsChanged(request.data(), request.size(), kCallTimeoutMs, &reply_text);
  } else {
    std::fprintf(stderr, "pipe_call: unknown call %s\n", what.c_str());
    return 2;
  }
  if (status != kOk) {
    std::printf("call failed: status %u\n", static_cast<unsigned>(status));
    return 1;
  }
  std::printf("%s\n", reply_text.c_str());
  return 0;
}
