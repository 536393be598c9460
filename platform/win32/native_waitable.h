#ifndef QUILLON_PLATFORM_WIN32_NATIVE_WAITABLE_H_
#define QUILLON_PLATFORM_WIN32_NATIVE_WAITABLE_H_

#include <windows.h>

#include <cstdint>

#include "platform/event.h"

namespace quillon {

// The Windows meaning of a Waitable: a kernel handle that a wait function can watch (event,
// process, thread, mutex). Only the win32 backend and its tests use this.
class NativeWaitable {
 public:
  // The waitable for `handle` (not owned); kInvalidWaitable for a null handle or
  // INVALID_HANDLE_VALUE.
  static Waitable FromHandle(HANDLE handle) {
    return handle == nullptr || handle == INVALID_HANDLE_VALUE
               ? Waitable()
               : Waitable(reinterpret_cast<intptr_t>(handle));
  }
  // The handle of `object`; INVALID_HANDLE_VALUE for kInvalidWaitable.
  static HANDLE Handle(Waitable object) { return reinterpret_cast<HANDLE>(object.handle_); }
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_NATIVE_WAITABLE_H_
