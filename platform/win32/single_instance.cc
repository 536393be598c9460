#include "platform/single_instance.h"

#include <windows.h>

#include "platform/win32/handle_waitable.h"
#include "platform/win32/wide_text.h"

namespace quillon {

// On Windows the claim is a named mutex in the session's namespace; the system releases it
// when the process ends however it ends. fd_ holds the mutex handle while it is held.
SingleInstance::SingleInstance(std::string name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() {
  if (fd_ >= 0) CloseHandle(HandleFromWaitable(fd_));
}

std::string SingleInstance::path() const { return name_; }

Status SingleInstance::Acquire() {
  if (fd_ >= 0) return kOk;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, Widen(name_).c_str());
  if (mutex == nullptr) return GetLastError();
  // Opening a mutex that exists already (in this process or another) means another holder.
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return kErrorAlreadyExists;
  }
  fd_ = WaitableFromHandle(mutex);
  return kOk;
}

}  // namespace quillon
