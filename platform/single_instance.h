#ifndef QUILLON_PLATFORM_SINGLE_INSTANCE_H_
#define QUILLON_PLATFORM_SINGLE_INSTANCE_H_

#include <memory>
#include <string>

#include "platform/status.h"

namespace quillon {

// A system-wide claim that only one process may hold at a time (the GUI's "TalvenUI_EXE").
// On Linux a lock file of that name in the user's runtime directory ($XDG_RUNTIME_DIR, else a
// per-user directory below /tmp), held with flock for the life of the object; the kernel
// releases it when the process ends however it ends. Not copyable; one thread at a time.
class SingleInstance {
 public:
  explicit SingleInstance(std::string name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Claims the name. 0 when this object now holds it; kErrorAlreadyExists when another holder
  // (another process, or another object of this process) has it; another status when the lock
  // file cannot be opened or locked (nothing is held then).
  Status Acquire();
  // True once Acquire succeeded; the claim is given up by the destructor.
  bool owner() const { return claim_ != nullptr; }
  // The lock file's path.
  std::string path() const;

 private:
  // The OS's hold on the name while this object owns it; the backend defines it.
  class Claim;

  std::string name_;
  std::unique_ptr<Claim> claim_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_SINGLE_INSTANCE_H_
