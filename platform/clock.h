#ifndef QUILLON_PLATFORM_CLOCK_H_
#define QUILLON_PLATFORM_CLOCK_H_

#include <cstdint>

#include "platform/event.h"

namespace quillon {

// A local calendar date and time, as the operator's wall clock shows it.
struct LocalDateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The source of "now" and of long pauses. Every decision that depends on the date or on a
// waiting period asks this interface, so that tests can set the time and skip the waits.
// Implementations are thread-safe.
class Clock {
 public:
  virtual ~Clock() = default;

  // The current local date and time.
  virtual LocalDateTime Now() = 0;

  // Pauses the calling thread for `milliseconds` (the retry waits of the start-up and the
  // short pauses of the notification dispatch). A fake clock advances its time instead.
  virtual void Sleep(uint32_t milliseconds) = 0;

  // Pauses like Sleep, but ends as soon as `stop` is signalled (at once when it already is):
  // the long pauses of the start that a stop request must cut short. Returns true when the
  // whole pause passed, false when `stop` ended it. kInvalidWaitable: a plain Sleep, true.
  // A fake clock advances its time only by a pause that was not stopped.
  virtual bool Pause(uint32_t milliseconds, Waitable stop) = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_CLOCK_H_
