#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/pipe.h"
#include "platform/posix/errno_status.h"
#include "platform/posix/operator_group.h"
#include "platform/runtime_dir.h"

namespace quillon {
namespace {

constexpr int kListenBacklog = 16;
constexpr mode_t kSocketMode = kOperatorFileMode;

bool FillAddress(const std::string& path, sockaddr_un* addr) {
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  if (path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.data(), path.size());
  return true;
}

// Receives one message into buffer[0..size); *received is what was stored. The real length
// is asked for so a message longer than the buffer is noticed rather than silently cut.
Status ReceiveMessage(int fd, void* buffer, size_t size, size_t* received, int flags) {
  iovec iov{buffer, size};
  msghdr msg{};
  msg.msg_iov = &iov;
  msg.msg_iovlen = 1;
  ssize_t n;
  do {
    n = recvmsg(fd, &msg, flags | MSG_TRUNC);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kErrorTimeout;
    return kErrorReadFault;
  }
  // A 0-byte message and an orderly close look the same and both count as a failed read.
  if (n == 0) return kErrorReadFault;
  size_t stored = static_cast<size_t>(n) < size ? static_cast<size_t>(n) : size;
  *received = stored;
  return (msg.msg_flags & MSG_TRUNC) || static_cast<size_t>(n) > size ? kErrorMoreData : kOk;
}

}  // namespace

std::unique_ptr<PipeServer> PipeServer::Create(const std::string& name, Status* status) {
  Status dummy;
  if (status == nullptr) status = &dummy;
  *status = EnsureRuntimeDir();
  if (*status != kOk) return nullptr;
  std::string path = RuntimeDir() + name;
  sockaddr_un addr;
  if (name.empty() || !FillAddress(path, &addr)) {
    *status = kErrorBadPathname;
    return nullptr;
  }
  // One instance per name: the lock says who serves it, so a second server fails instead of
  // stealing the name, and a socket file left by a dead server may safely be replaced.
  std::string lock_path = path + ".lock";
  int lock_fd = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kSocketMode);
  if (lock_fd < 0) {
    *status = StatusFromErrno(errno);
    return nullptr;
  }
  if (flock(lock_fd, LOCK_EX | LOCK_NB) != 0) {
    *status = errno == EWOULDBLOCK ? kErrorPipeBusy : StatusFromErrno(errno);
    close(lock_fd);
    return nullptr;
  }
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    *status = StatusFromErrno(errno);
    close(lock_fd);
    return nullptr;
  }
  unlink(path.c_str());
  // Permissions are fixed between bind and listen: until listen nobody can connect, so no
  // client ever sees the file with the default mode.
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      chmod(path.c_str(), kSocketMode) != 0) {
    *status = StatusFromErrno(errno);
    close(fd);
    unlink(path.c_str());
    close(lock_fd);
    return nullptr;
  }
  ShareWithOperators(path);
  if (listen(fd, kListenBacklog) != 0) {
    *status = StatusFromErrno(errno);
    close(fd);
    unlink(path.c_str());
    close(lock_fd);
    return nullptr;
  }
  *status = kOk;
  return std::unique_ptr<PipeServer>(new PipeServer(std::move(path), fd, lock_fd));
}

PipeServer::PipeServer(std::string path, int listen_fd, int lock_fd)
    : path_(std::move(path)), listen_fd_(listen_fd), lock_fd_(lock_fd) {}

PipeServer::~PipeServer() {
  Disconnect();
  // The name goes before the lock is released, so a successor never loses its fresh socket.
  unlink(path_.c_str());
  close(listen_fd_);
  close(lock_fd_);
}

Status PipeServer::Accept() {
  if (conn_fd_ >= 0) return kErrorPipeBusy;
  int fd;
  do {
    fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kErrorTimeout;
    return StatusFromErrno(errno);
  }
  conn_fd_ = fd;
  return kOk;
}

Status PipeServer::Read(void* buffer, size_t size, size_t* received, const Event* abort,
                        uint32_t timeout_ms) {
  *received = 0;
  if (conn_fd_ < 0) return kErrorInvalidHandle;
  Waitable objects[2] = {conn_fd_, abort != nullptr ? abort->waitable() : kInvalidWaitable};
  int r = WaitAny(std::span<const Waitable>(objects, abort != nullptr ? 2 : 1), timeout_ms);
  if (r == kWaitTimeout) return kErrorTimeout;
  if (r == 1) return kErrorInvalidFunction;
  if (r != 0) return kErrorReadFault;
  return ReceiveMessage(conn_fd_, buffer, size, received, MSG_DONTWAIT);
}

Status PipeServer::Write(const void* data, size_t size) {
  if (conn_fd_ < 0) return kErrorInvalidHandle;
  ssize_t n;
  do {
    // MSG_NOSIGNAL: a client that has gone must not kill the service with SIGPIPE.
    n = send(conn_fd_, data, size, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(size) ? kOk : kErrorWriteFault;
}

void PipeServer::Disconnect() {
  if (conn_fd_ >= 0) {
    close(conn_fd_);
    conn_fd_ = -1;
  }
}

Status CallNamedPipeTimed(const std::string& name, const void* request, size_t size, void* reply,
                          size_t reply_size, size_t* received, uint32_t timeout_ms) {
  size_t dummy;
  if (received == nullptr) received = &dummy;
  *received = 0;
  sockaddr_un addr;
  if (!FillAddress(RuntimeDir() + name, &addr)) return kErrorBadPathname;
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return StatusFromErrno(errno);
  if (timeout_ms != kWaitInfinite) {
    // For local sockets the send time-out also bounds the wait in a full listen queue.
    timeval tv{static_cast<time_t>(timeout_ms / 1000),
               static_cast<suseconds_t>((timeout_ms % 1000) * 1000)};
    if (tv.tv_sec == 0 && tv.tv_usec == 0) tv.tv_usec = 1;
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  }
  Status status = kOk;
  int rc;
  do {
    rc = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    status = (errno == EAGAIN || errno == EINPROGRESS) ? kErrorTimeout : StatusFromErrno(errno);
  } else {
    ssize_t n;
    do {
      n = send(fd, request, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(size)) {
      status = (n < 0 && errno == EAGAIN) ? kErrorTimeout : kErrorWriteFault;
    } else {
      status = ReceiveMessage(fd, reply, reply_size, received, 0);
    }
  }
  close(fd);
  return status;
}

Status CallNamedPipe(const std::string& name, const void* request, size_t size, void* reply,
                     size_t reply_size, size_t* received) {
  return CallNamedPipeTimed(name, request, size, reply, reply_size, received, kWaitInfinite);
}

}  // namespace quillon
