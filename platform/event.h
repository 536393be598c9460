#ifndef QUILLON_PLATFORM_EVENT_H_
#define QUILLON_PLATFORM_EVENT_H_

#include <cstdint>
#include <span>

#include "platform/status.h"

namespace quillon {

// Something a wait can watch: on Linux a file descriptor that becomes readable when the object
// is signalled (an event, a listening socket with a client in its queue, a connected socket
// with a message).
using Waitable = int;
inline constexpr Waitable kInvalidWaitable = -1;

// Time-out meaning "wait for ever".
inline constexpr uint32_t kWaitInfinite = 0xFFFFFFFF;

// Results of WaitAny besides the index of a signalled object.
inline constexpr int kWaitTimeout = -1;
inline constexpr int kWaitFailed = -2;

// A manual-reset event: once set it stays set, and every wait on it returns at once, until it
// is reset. Thread-safe; any thread may set, reset or wait. Not copyable.
class Event {
 public:
  // Creates the event, not signalled. When the system refuses (descriptor limit), valid() is
  // false and every operation fails.
  Event();
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  bool valid() const { return fd_ >= 0; }

  // Signals the event. 0 on success, kErrorInvalidHandle for an invalid event.
  Status Set();
  // Clears the event. 0 on success, kErrorInvalidHandle for an invalid event.
  Status Reset();
  // True while the event is signalled; never blocks.
  bool IsSet() const;
  // The object to hand to WaitAny; kInvalidWaitable for an invalid event.
  Waitable waitable() const { return fd_; }

 private:
  int fd_;
};

// Waits until at least one of `objects` is signalled or `timeout_ms` milliseconds have passed
// (kWaitInfinite: no limit). Returns the lowest index of a signalled object, kWaitTimeout, or
// kWaitFailed (an invalid object among them, or the wait itself failed). Signalled objects
// stay signalled. An interrupted wait resumes with the time still left.
int WaitAny(std::span<const Waitable> objects, uint32_t timeout_ms);

// Waits for one object; 0, kWaitTimeout or kWaitFailed as WaitAny.
int WaitOne(Waitable object, uint32_t timeout_ms);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_EVENT_H_
