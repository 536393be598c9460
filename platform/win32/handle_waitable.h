#ifndef QUILLON_PLATFORM_WIN32_HANDLE_WAITABLE_H_
#define QUILLON_PLATFORM_WIN32_HANDLE_WAITABLE_H_

#include <windows.h>

#include "platform/event.h"

namespace quillon {

// A Waitable holds a kernel handle as its 32-bit value. Windows keeps handle values within 32
// bits so that they can be passed between 32- and 64-bit processes (HandleToLong and
// LongToHandle are made for this), and INVALID_HANDLE_VALUE becomes kInvalidWaitable (-1).
inline Waitable WaitableFromHandle(HANDLE handle) {
  return handle == nullptr ? kInvalidWaitable : static_cast<Waitable>(HandleToLong(handle));
}

inline HANDLE HandleFromWaitable(Waitable waitable) { return LongToHandle(waitable); }

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_HANDLE_WAITABLE_H_
