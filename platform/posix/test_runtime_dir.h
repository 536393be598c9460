#ifndef QUILLON_PLATFORM_POSIX_TEST_RUNTIME_DIR_H_
#define QUILLON_PLATFORM_POSIX_TEST_RUNTIME_DIR_H_

#include <stdlib.h>

#include <string>

#include "tests/common/temp_dir.h"

namespace quillon {

// For tests: points QUILLON_RUNTIME_DIR at a fresh temporary directory for the life of the
// object and removes it afterwards.
class ScopedRuntimeDir {
 public:
  ScopedRuntimeDir() { setenv("QUILLON_RUNTIME_DIR", dir_.path().c_str(), 1); }
  ~ScopedRuntimeDir() { unsetenv("QUILLON_RUNTIME_DIR"); }
  const std::string& dir() const { return dir_.path(); }

 private:
  TempDir dir_{"quillon-rt-"};
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_TEST_RUNTIME_DIR_H_
