#include "platform/posix/system_clock.h"

#include <cerrno>
#include <ctime>

namespace quillon {

LocalDateTime SystemClock::Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  LocalDateTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  // A leap second shows as :60 in some zones; the day counts have no room for it.
  t.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  t.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
  return t;
}

void SystemClock::Sleep(uint32_t milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  // nanosleep leaves the unslept time in `remaining` when a signal interrupts it.
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

bool SystemClock::Pause(uint32_t milliseconds, Waitable stop) {
  if (stop == kInvalidWaitable) {
    Sleep(milliseconds);
    return true;
  }
  const int r = WaitOne(stop, milliseconds);
  if (r == 0) return false;
  // A wait that cannot be made (a closed descriptor) must not turn the pause into a spin:
  // the pause still takes its time.
  if (r == kWaitFailed) Sleep(milliseconds);
  return true;
}

}  // namespace quillon
