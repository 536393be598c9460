#ifndef QUILLON_PLATFORM_EVENT_H_
#define QUILLON_PLATFORM_EVENT_H_

#include <cstdint>
#include <span>

#include "platform/status.h"

namespace quillon {

// Something a wait can watch: an event, a pipe server with a client to serve, a thread that has
// ended, a process. A small copyable name for an object that its owner keeps alive; only the
// OS backend makes one or looks inside (through NativeWaitable, which each backend defines).
// The default value is the invalid object, kInvalidWaitable.
class Waitable {
 public:
  constexpr Waitable() = default;
  friend constexpr bool operator==(const Waitable&, const Waitable&) = default;

 private:
  friend class NativeWaitable;
  explicit constexpr Waitable(intptr_t handle) : handle_(handle) {}

  intptr_t handle_ = -1;
};
inline constexpr Waitable kInvalidWaitable{};

// Time-out meaning "wait for ever".
inline constexpr uint32_t kWaitInfinite = 0xFFFFFFFF;

// Results of WaitAny besides the index of a signalled object.
inline constexpr int kWaitTimeout = -1;
inline constexpr int kWaitFailed = -2;

// A manual-reset event: once set it stays set, and every wait on it returns at once, until it
// is reset. Thread-safe; any thread may set, reset or wait. Not copyable.
class Event {
 public:
  // Creates the event, not signalled. When the system refuses (handle limit), valid() is
  // false and every operation fails.
  Event();
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  bool valid() const { return handle_ != kInvalidWaitable; }

  // Signals the event. 0 on success, kErrorInvalidHandle for an invalid event.
  Status Set();
  // Clears the event. 0 on success, kErrorInvalidHandle for an invalid event.
  Status Reset();
  // True while the event is signalled; never blocks.
  bool IsSet() const;
  // The object to hand to WaitAny; kInvalidWaitable for an invalid event.
  Waitable waitable() const { return handle_; }

 private:
  // The OS object the event is; the event owns it.
  Waitable handle_;
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
