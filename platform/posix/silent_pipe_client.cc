#include "platform/silent_pipe_client.h"

#include <sys/socket.h>
#include <unistd.h>

#include "platform/posix/test_pipe_client.h"

namespace quillon {
namespace {

class SeqpacketSilentClient : public SilentPipeClient {
 public:
  explicit SeqpacketSilentClient(int fd) : fd_(fd) {}
  ~SeqpacketSilentClient() override { close(fd_); }

  // A seqpacket socket reads 0 bytes only at the end of the connection: the server sends no
  // empty messages.
  bool WaitUntilLetGo() override {
    char buffer[1];
    return recv(fd_, buffer, sizeof buffer, 0) == 0;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<SilentPipeClient> SilentPipeClient::Connect(const std::string& name) {
  const int fd = ConnectSilently(name);
  if (fd < 0) return nullptr;
  return std::make_unique<SeqpacketSilentClient>(fd);
}

// The server's listen queue (kListenBacklog of the seqpacket pipe).
int SilentPipeClient::ConnectedAtOnce() { return 16; }

}  // namespace quillon
