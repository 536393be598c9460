#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/pipe.h"
#include "platform/posix/errno_status.h"
#include "platform/posix/native_waitable.h"
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

// Adds `fd` to the epoll set `epoll_fd` for readability, hang-up and error; false with errno
// set when the system refuses.
bool Watch(int epoll_fd, int fd) {
  epoll_event event{};
  event.events = EPOLLIN | EPOLLRDHUP;
  event.data.fd = fd;
  return epoll_ctl(epoll_fd, EPOLL_CTL_ADD, fd, &event) == 0;
}

// The pipe server over a listening seqpacket socket, held clients and a request-time timer.
class SeqpacketPipeServer final : public PipeServer {
 public:
  SeqpacketPipeServer(std::string path, int listen_fd, int lock_fd, int epoll_fd, int timer_fd,
                      uint32_t request_timeout_ms);
  ~SeqpacketPipeServer() override;

  Waitable ready_waitable() const override { return NativeWaitable::FromFd(epoll_fd_); }
  Status Accept() override;
  bool connected() const override { return conn_fd_ >= 0; }
  Status Read(void* buffer, size_t size, size_t* received, const Event* abort,
              uint32_t timeout_ms) override;
  Status Write(const void* data, size_t size) override;
  void Disconnect() override;
  const std::string& path() const override { return path_; }

 private:
  using Deadline = std::chrono::steady_clock::time_point;
  struct Held {
    int fd;
    Deadline deadline;
  };

  // Accepts queued clients until the queue is empty or kPipeMaxClients are held; 0, or the
  // status of an accept that failed.
  Status TakeInQueued();
  // Index in held_ of the first client ready to be served, or -1.
  int FirstReady() const;
  // Watches the listen queue only while there is room, and sets the timer to the earliest
  // request time of the held clients.
  void Rearm();

  std::string path_;
  int listen_fd_;
  int lock_fd_;
  int epoll_fd_;
  int timer_fd_;
  std::chrono::milliseconds request_timeout_;
  bool request_timeout_infinite_;
  bool watching_listen_ = true;
  std::vector<Held> held_;
  int conn_fd_ = -1;
  Deadline conn_deadline_{};
};

}  // namespace

std::unique_ptr<PipeServer> PipeServer::Create(const std::string& name, Status* status,
                                               uint32_t request_timeout_ms) {
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
  int epoll_fd = -1;
  int timer_fd = -1;
  // Permissions are fixed between bind and listen: until listen nobody can connect, so no
  // client ever sees the file with the default mode.
  bool ok = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            chmod(path.c_str(), kSocketMode) == 0;
  if (ok) {
    ShareWithOperators(path);
    // One descriptor to wait on for the listen queue, every held client and the timer of
    // their request times, so the owner's wait loop stays a wait on one object.
    epoll_fd = epoll_create1(EPOLL_CLOEXEC);
    timer_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    ok = epoll_fd >= 0 && timer_fd >= 0 && listen(fd, kListenBacklog) == 0 &&
         Watch(epoll_fd, timer_fd) && Watch(epoll_fd, fd);
  }
  if (!ok) {
    *status = StatusFromErrno(errno);
    if (timer_fd >= 0) close(timer_fd);
    if (epoll_fd >= 0) close(epoll_fd);
    close(fd);
    unlink(path.c_str());
    close(lock_fd);
    return nullptr;
  }
  *status = kOk;
  return std::make_unique<SeqpacketPipeServer>(std::move(path), fd, lock_fd, epoll_fd, timer_fd,
                                               request_timeout_ms);
}

SeqpacketPipeServer::SeqpacketPipeServer(std::string path, int listen_fd, int lock_fd, int epoll_fd,
                                         int timer_fd, uint32_t request_timeout_ms)
    : path_(std::move(path)),
      listen_fd_(listen_fd),
      lock_fd_(lock_fd),
      epoll_fd_(epoll_fd),
      timer_fd_(timer_fd),
      request_timeout_(request_timeout_ms),
      request_timeout_infinite_(request_timeout_ms == kWaitInfinite) {
  held_.reserve(kPipeMaxClients);
}

SeqpacketPipeServer::~SeqpacketPipeServer() {
  Disconnect();
  for (const Held& client : held_) close(client.fd);
  // The name goes before the lock is released, so a successor never loses its fresh socket.
  unlink(path_.c_str());
  close(listen_fd_);
  close(timer_fd_);
  close(epoll_fd_);
  close(lock_fd_);
}

Status SeqpacketPipeServer::TakeInQueued() {
  while (held_.size() < kPipeMaxClients) {
    int fd;
    do {
      fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      return errno == EAGAIN || errno == EWOULDBLOCK ? kOk : StatusFromErrno(errno);
    }
    if (!Watch(epoll_fd_, fd)) {
      const Status status = StatusFromErrno(errno);
      close(fd);
      return status;
    }
    Deadline deadline = Deadline::max();
    if (!request_timeout_infinite_) deadline = std::chrono::steady_clock::now() + request_timeout_;
    held_.push_back({fd, deadline});
  }
  return kOk;
}

int SeqpacketPipeServer::FirstReady() const {
  if (held_.empty()) return -1;
  std::vector<pollfd> fds(held_.size());
  for (size_t i = 0; i < held_.size(); ++i) fds[i] = {held_[i].fd, POLLIN | POLLRDHUP, 0};
  int n;
  do {
    n = poll(fds.data(), fds.size(), 0);
  } while (n < 0 && errno == EINTR);
  const Deadline now = std::chrono::steady_clock::now();
  // Taken-in order: the client that has waited longest goes first, and a silent client whose
  // time is up is answered before the request time of the next one runs out too.
  for (size_t i = 0; i < held_.size(); ++i) {
    if ((n > 0 && fds[i].revents != 0) || held_[i].deadline <= now) return static_cast<int>(i);
  }
  return -1;
}

void SeqpacketPipeServer::Rearm() {
  // A full house leaves new clients in the listen queue; watching it then would only wake
  // the owner for nothing, over and over.
  const bool room = held_.size() < kPipeMaxClients;
  if (room != watching_listen_) {
    if (room) {
      watching_listen_ = Watch(epoll_fd_, listen_fd_);
    } else {
      watching_listen_ = epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, listen_fd_, nullptr) != 0;
    }
  }
  uint64_t expirations;
  (void)!read(timer_fd_, &expirations, sizeof expirations);
  itimerspec when{};
  Deadline earliest = Deadline::max();
  for (const Held& client : held_) earliest = std::min(earliest, client.deadline);
  if (earliest != Deadline::max()) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
        earliest - std::chrono::steady_clock::now());
    // A time already up still arms the timer (an all-zero value would disarm it).
    const int64_t ns = std::max<int64_t>(left.count(), 1);
    when.it_value.tv_sec = static_cast<time_t>(ns / 1000000000);
    when.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
  }
  timerfd_settime(timer_fd_, 0, &when, nullptr);
}

Status SeqpacketPipeServer::Accept() {
  if (conn_fd_ >= 0) return kErrorPipeBusy;
  const Status taken_in = TakeInQueued();
  const int ready = FirstReady();
  if (ready >= 0) {
    conn_fd_ = held_[ready].fd;
    conn_deadline_ = held_[ready].deadline;
    epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, conn_fd_, nullptr);
    held_.erase(held_.begin() + ready);
  }
  Rearm();
  if (ready >= 0) return kOk;
  return taken_in != kOk ? taken_in : kErrorTimeout;
}

Status SeqpacketPipeServer::Read(void* buffer, size_t size, size_t* received, const Event* abort,
                                 uint32_t timeout_ms) {
  *received = 0;
  if (conn_fd_ < 0) return kErrorInvalidHandle;
  if (conn_deadline_ != Deadline::max()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(
        conn_deadline_ - std::chrono::steady_clock::now());
    const int64_t left_ms = std::max<int64_t>(left.count(), 0);
    if (left_ms < timeout_ms) timeout_ms = static_cast<uint32_t>(left_ms);
  }
  Waitable objects[2] = {NativeWaitable::FromFd(conn_fd_),
                         abort != nullptr ? abort->waitable() : kInvalidWaitable};
  int r = WaitAny(std::span<const Waitable>(objects, abort != nullptr ? 2 : 1), timeout_ms);
  if (r == kWaitTimeout) return kErrorTimeout;
  if (r == 1) return kErrorInvalidFunction;
  if (r != 0) return kErrorReadFault;
  return ReceiveMessage(conn_fd_, buffer, size, received, MSG_DONTWAIT);
}

Status SeqpacketPipeServer::Write(const void* data, size_t size) {
  if (conn_fd_ < 0) return kErrorInvalidHandle;
  ssize_t n;
  do {
    // MSG_NOSIGNAL: a client that has gone must not kill the service with SIGPIPE.
    n = send(conn_fd_, data, size, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(size) ? kOk : kErrorWriteFault;
}

void SeqpacketPipeServer::Disconnect() {
  if (conn_fd_ >= 0) {
    close(conn_fd_);
    conn_fd_ = -1;
  }
}

Status CallPipeTimed(const std::string& name, const void* request, size_t size, void* reply,
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

}  // namespace quillon
