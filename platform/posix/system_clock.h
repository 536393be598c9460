#ifndef QUILLON_PLATFORM_POSIX_SYSTEM_CLOCK_H_
#define QUILLON_PLATFORM_POSIX_SYSTEM_CLOCK_H_

#include "platform/clock.h"

namespace quillon {

// The machine's wall clock in local time (the process's time zone) and real pauses.
// Stateless and thread-safe.
class SystemClock : public Clock {
 public:
  // Local date and time with milliseconds.
  LocalDateTime Now() override;
  // Blocks for `milliseconds`, resuming after signal interruptions until the time has passed.
  void Sleep(uint32_t milliseconds) override;
  // Waits on `stop` with the pause as its time-out (poll(2), resumed after interruptions).
  bool Pause(uint32_t milliseconds, Waitable stop) override;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_SYSTEM_CLOCK_H_
