#ifndef QUILLON_PLATFORM_TESTING_SCOPED_ENV_VAR_H_
#define QUILLON_PLATFORM_TESTING_SCOPED_ENV_VAR_H_

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace quillon {

// Sets the process's environment variable `name` to `value` (UTF-8 on Linux, the C runtime's
// code page on Windows). On Windows an empty value removes the variable. Not thread-safe: no
// other thread may read or change the environment meanwhile.
void SetEnvVar(const std::string& name, const std::string& value);

// Removes the environment variable `name`; nothing when it is not set. Not thread-safe, as
// SetEnvVar.
void UnsetEnvVar(const std::string& name);

// For tests: gives the environment variable `name` the value `value` for the life of the object
// and then restores what it was before (its value, or its absence). One thread at a time.
class ScopedEnvVar {
 public:
  ScopedEnvVar(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    SetEnvVar(name_, value);
  }
  ~ScopedEnvVar() {
    if (old_) {
      SetEnvVar(name_, *old_);
    } else {
      UnsetEnvVar(name_);
    }
  }
  ScopedEnvVar(const ScopedEnvVar&) = delete;
  ScopedEnvVar& operator=(const ScopedEnvVar&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_TESTING_SCOPED_ENV_VAR_H_
