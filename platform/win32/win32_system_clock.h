#ifndef QUILLON_PLATFORM_WIN32_WIN32_SYSTEM_CLOCK_H_
#define QUILLON_PLATFORM_WIN32_WIN32_SYSTEM_CLOCK_H_

#include "platform/clock.h"

namespace quillon {

// The machine's wall clock in local time (GetLocalTime) and real pauses. Stateless and
// thread-safe.
class Win32SystemClock : public Clock {
 public:
  LocalDateTime Now() override;
  void Sleep(uint32_t milliseconds) override;
  // Waits on `stop` with the pause as its time-out.
  bool Pause(uint32_t milliseconds, Waitable stop) override;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_WIN32_SYSTEM_CLOCK_H_
