#ifndef QUILLON_PLATFORM_POSIX_NATIVE_WAITABLE_H_
#define QUILLON_PLATFORM_POSIX_NATIVE_WAITABLE_H_

#include "platform/event.h"

namespace quillon {

// The Linux meaning of a Waitable: a file descriptor that is readable while the object is
// signalled. Only the posix backend and its tests use this.
class NativeWaitable {
 public:
  // The waitable for descriptor `fd` (not owned); kInvalidWaitable for a negative fd.
  static constexpr Waitable FromFd(int fd) { return fd < 0 ? Waitable() : Waitable(fd); }
  // The descriptor of `object`; -1 for kInvalidWaitable.
  static constexpr int Fd(Waitable object) { return static_cast<int>(object.handle_); }
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_NATIVE_WAITABLE_H_
