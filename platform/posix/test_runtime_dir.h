#ifndef QUILLON_PLATFORM_POSIX_TEST_RUNTIME_DIR_H_
#define QUILLON_PLATFORM_POSIX_TEST_RUNTIME_DIR_H_

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace quillon {

// For tests: points QUILLON_RUNTIME_DIR at a fresh temporary directory for the life of the
// object and removes it afterwards.
class ScopedRuntimeDir {
 public:
  ScopedRuntimeDir() {
    char tmpl[] = "/tmp/quillon-rt-XXXXXX";
    dir_ = mkdtemp(tmpl);
    setenv("QUILLON_RUNTIME_DIR", dir_.c_str(), 1);
  }
  ~ScopedRuntimeDir() {
    unsetenv("QUILLON_RUNTIME_DIR");
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_TEST_RUNTIME_DIR_H_
