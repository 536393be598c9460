#include "platform/event.h"

#include <windows.h>

#include <vector>

#include "platform/win32/native_waitable.h"

namespace quillon {

Event::Event() : handle_(NativeWaitable::FromHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr))) {}

Event::~Event() {
  if (valid()) CloseHandle(NativeWaitable::Handle(handle_));
}

Status Event::Set() {
  if (!valid()) return kErrorInvalidHandle;
  return SetEvent(NativeWaitable::Handle(handle_)) ? kOk : GetLastError();
}

Status Event::Reset() {
  if (!valid()) return kErrorInvalidHandle;
  return ResetEvent(NativeWaitable::Handle(handle_)) ? kOk : GetLastError();
}

bool Event::IsSet() const {
  return valid() && WaitForSingleObject(NativeWaitable::Handle(handle_), 0) == WAIT_OBJECT_0;
}

int WaitAny(std::span<const Waitable> objects, uint32_t timeout_ms) {
  if (objects.empty() || objects.size() > MAXIMUM_WAIT_OBJECTS) return kWaitFailed;
  std::vector<HANDLE> handles;
  handles.reserve(objects.size());
  for (Waitable w : objects) {
    if (w == kInvalidWaitable) return kWaitFailed;
    handles.push_back(NativeWaitable::Handle(w));
  }
  // WaitForMultipleObjects reports the lowest signalled index, the order WaitAny promises; a
  // manual-reset event stays signalled after the wait.
  DWORD r = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                   timeout_ms == kWaitInfinite ? INFINITE : timeout_ms);
  if (r == WAIT_TIMEOUT) return kWaitTimeout;
  if (r < WAIT_OBJECT_0 + handles.size()) return static_cast<int>(r - WAIT_OBJECT_0);
  return kWaitFailed;
}

int WaitOne(Waitable object, uint32_t timeout_ms) {
  return WaitAny(std::span<const Waitable>(&object, 1), timeout_ms);
}

}  // namespace quillon
