#ifndef QUILLON_PLATFORM_POSIX_TEST_PIPE_CLIENT_H_
#define QUILLON_PLATFORM_POSIX_TEST_PIPE_CLIENT_H_

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/runtime_dir.h"

namespace quillon {

// For tests: connects to the pipe `name` in the runtime directory the way a client that then
// stays silent does. The connected descriptor (the caller closes it), or -1. Waits while the
// server's listen queue is full.
inline int ConnectSilently(const std::string& name) {
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, (RuntimeDir() + name).c_str(), sizeof addr.sun_path - 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_TEST_PIPE_CLIENT_H_
