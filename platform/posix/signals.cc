#include "platform/posix/signals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

namespace quillon {
namespace {

constexpr int kMaxSignal = 65;
// Written into the pipe by Stop; no real signal has the number 0.
constexpr unsigned char kStopByte = 0;

// Per signal: the pipe its handler writes to, plus one (so that the zero of static
// initialisation means "not watched"), and the action that was in place before. The handler reads
// only the atomic descriptor, which is lock-free and therefore safe to read inside a signal
// handler.
std::atomic<int> g_pipe_for_signal[kMaxSignal];
struct sigaction g_previous[kMaxSignal];
std::mutex g_registry_mu;

static_assert(std::atomic<int>::is_always_lock_free);

void OnSignal(int signal_number) {
  const int saved_errno = errno;
  if (signal_number > 0 && signal_number < kMaxSignal) {
    const int fd = g_pipe_for_signal[signal_number].load(std::memory_order_relaxed) - 1;
    if (fd >= 0) {
      const unsigned char byte = static_cast<unsigned char>(signal_number);
      // Non-blocking: when the pipe is full the arrival merges with the ones still queued.
      [[maybe_unused]] ssize_t n = write(fd, &byte, 1);
    }
  }
  errno = saved_errno;
}

Status FromErrno(int err) {
  switch (err) {
    case EINVAL:
      return kErrorInvalidParameter;
    case ENOMEM:
    case EMFILE:
    case ENFILE:
    case EAGAIN:
      return kErrorNotEnoughMemory;
    default:
      return kErrorInvalidFunction;
  }
}

}  // namespace

SignalWatcher::~SignalWatcher() { Stop(); }

Status SignalWatcher::Start(const std::vector<int>& signals, Handler handler) {
  if (thread_.joinable() || signals.empty()) return kErrorInvalidParameter;
  std::lock_guard<std::mutex> lock(g_registry_mu);
  for (int s : signals) {
    if (s <= 0 || s >= kMaxSignal || g_pipe_for_signal[s].load() != 0) {
      return kErrorInvalidParameter;
    }
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return FromErrno(errno);
  read_fd_ = fds[0];
  write_fd_ = fds[1];
  // The reading side blocks in poll, so it may stay non-blocking; only the handler's side
  // must never block.
  handler_ = std::move(handler);
  try {
    thread_ = std::thread(&SignalWatcher::Loop, this);
  } catch (...) {
    close(read_fd_);
    close(write_fd_);
    read_fd_ = write_fd_ = -1;
    return kErrorNotEnoughMemory;
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : signals) {
    g_pipe_for_signal[s].store(write_fd_ + 1);
    if (sigaction(s, &action, &g_previous[s]) != 0) {
      const Status status = FromErrno(errno);
      g_pipe_for_signal[s].store(0);
      // Undo what was set so far, so that a failed start leaves nothing installed.
      for (int done : signals_) {
        sigaction(done, &g_previous[done], nullptr);
        g_pipe_for_signal[done].store(0);
      }
      signals_.clear();
      const unsigned char stop = kStopByte;
      [[maybe_unused]] ssize_t n = write(write_fd_, &stop, 1);
      thread_.join();
      close(read_fd_);
      close(write_fd_);
      read_fd_ = write_fd_ = -1;
      return status;
    }
    signals_.push_back(s);
  }
  return kOk;
}

void SignalWatcher::Stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(g_registry_mu);
    for (int s : signals_) {
      sigaction(s, &g_previous[s], nullptr);
      g_pipe_for_signal[s].store(0);
    }
    signals_.clear();
  }
  const unsigned char stop = kStopByte;
  // The pipe may be full of queued signals; keep trying until the stop byte fits.
  while (write(write_fd_, &stop, 1) != 1 && errno == EAGAIN) {
    pollfd p{write_fd_, POLLOUT, 0};
    poll(&p, 1, 100);
  }
  thread_.join();
  close(read_fd_);
  close(write_fd_);
  read_fd_ = write_fd_ = -1;
}

void SignalWatcher::Loop() {
  for (;;) {
    pollfd p{read_fd_, POLLIN, 0};
    if (poll(&p, 1, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    unsigned char buffer[64];
    const ssize_t n = read(read_fd_, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return;
    }
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] == kStopByte) return;
      handler_(buffer[i]);
    }
  }
}

}  // namespace quillon
