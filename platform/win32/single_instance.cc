#include "platform/single_instance.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace quillon {

// On Windows the claim is a named mutex in the session's namespace; the system releases it
// when the process ends however it ends.
class SingleInstance::Claim {
 public:
  explicit Claim(HANDLE mutex) : mutex_(mutex) {}
  ~Claim() { CloseHandle(mutex_); }
  Claim(const Claim&) = delete;
  Claim& operator=(const Claim&) = delete;

 private:
  HANDLE mutex_;
};

SingleInstance::SingleInstance(std::string name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

std::string SingleInstance::path() const { return name_; }

Status SingleInstance::Acquire() {
  if (claim_ != nullptr) return kOk;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, Widen(name_).c_str());
  if (mutex == nullptr) return GetLastError();
  // Opening a mutex that exists already (in this process or another) means another holder.
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return kErrorAlreadyExists;
  }
  claim_ = std::make_unique<Claim>(mutex);
  return kOk;
}

}  // namespace quillon
