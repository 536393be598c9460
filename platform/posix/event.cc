#include "platform/event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "platform/posix/native_waitable.h"

namespace quillon {

// The eventfd counter is the state: non-zero means signalled. Set adds one, Reset drains the
// counter without blocking, and waits only poll for readability, so no wait ever consumes the
// signal, which is what makes the event manual-reset.
Event::Event() : handle_(NativeWaitable::FromFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))) {}

Event::~Event() {
  if (valid()) close(NativeWaitable::Fd(handle_));
}

Status Event::Set() {
  if (!valid()) return kErrorInvalidHandle;
  uint64_t one = 1;
  // EAGAIN means the counter is saturated, which is still "set".
  if (write(NativeWaitable::Fd(handle_), &one, sizeof one) < 0 && errno != EAGAIN)
    return kErrorWriteFault;
  return kOk;
}

Status Event::Reset() {
  if (!valid()) return kErrorInvalidHandle;
  uint64_t value;
  if (read(NativeWaitable::Fd(handle_), &value, sizeof value) < 0 && errno != EAGAIN)
    return kErrorReadFault;
  return kOk;
}

bool Event::IsSet() const { return valid() && WaitOne(handle_, 0) == 0; }

int WaitAny(std::span<const Waitable> objects, uint32_t timeout_ms) {
  std::vector<pollfd> fds(objects.size());
  for (size_t i = 0; i < objects.size(); ++i) {
    const int fd = NativeWaitable::Fd(objects[i]);
    if (fd < 0) return kWaitFailed;
    fds[i] = {fd, POLLIN, 0};
  }
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (true) {
    int wait_ms = -1;
    if (timeout_ms != kWaitInfinite) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait_ms = left < 0 ? 0 : static_cast<int>(std::min<int64_t>(left, INT32_MAX));
    }
    int n = poll(fds.data(), fds.size(), wait_ms);
    if (n < 0) {
      if (errno == EINTR) continue;
      return kWaitFailed;
    }
    if (n == 0) {
      // poll may wake a little early; only a wait that has used up its time counts.
      if (timeout_ms != kWaitInfinite && Clock::now() < deadline) continue;
      return kWaitTimeout;
    }
    for (size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].revents & POLLNVAL) return kWaitFailed;
      // A hang-up or error also ends the wait: the reader then sees the failure itself.
      if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) return static_cast<int>(i);
    }
  }
}

int WaitOne(Waitable object, uint32_t timeout_ms) {
  return WaitAny(std::span<const Waitable>(&object, 1), timeout_ms);
}

}  // namespace quillon
