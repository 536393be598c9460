#ifndef QUILLON_PLATFORM_TESTING_SCOPED_RUNTIME_DIR_H_
#define QUILLON_PLATFORM_TESTING_SCOPED_RUNTIME_DIR_H_

#include <string>

#include "platform/testing/scoped_env_var.h"
#include "tests/common/temp_dir.h"

namespace quillon {

// For tests: points QUILLON_RUNTIME_DIR, where the Linux pipes live, at a fresh temporary
// directory for the life of the object and removes it afterwards. Windows pipes have a name
// space of their own and do not read the variable.
class ScopedRuntimeDir {
 public:
  const std::string& dir() const { return dir_.path(); }

 private:
  TempDir dir_{"quillon-rt-"};
  ScopedEnvVar env_{"QUILLON_RUNTIME_DIR", dir_.path()};
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_TESTING_SCOPED_RUNTIME_DIR_H_
