#include "platform/win32/win32_system_clock.h"

#include <windows.h>

#include "platform/win32/native_waitable.h"

namespace quillon {

LocalDateTime Win32SystemClock::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return LocalDateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

void Win32SystemClock::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

bool Win32SystemClock::Pause(uint32_t milliseconds, Waitable stop) {
  if (stop == kInvalidWaitable) {
    ::Sleep(milliseconds);
    return true;
  }
  return WaitForSingleObject(NativeWaitable::Handle(stop), milliseconds) == WAIT_TIMEOUT;
}

}  // namespace quillon
