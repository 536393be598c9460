#ifndef QUILLON_COMMON_INIT_TEST_SUPPORT_H_
#define QUILLON_COMMON_INIT_TEST_SUPPORT_H_

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace quillon {

// A temporary program directory (with its trailing '/') for one test, removed afterwards,
// into which a test may write TALVENU2.ini.
class TempProgramDir {
 public:
  TempProgramDir() {
    char pattern[] = "/tmp/quillon_init.XXXXXX";
    if (mkdtemp(pattern) != nullptr) path_ = std::string(pattern) + "/";
  }
  ~TempProgramDir() {
    unlink((path_ + "TALVENU2.ini").c_str());
    rmdir(path_.c_str());
  }
  const std::string& path() const { return path_; }
  std::string ini() const { return path_ + "TALVENU2.ini"; }
  void WriteIni(const std::string& text) const {
    std::ofstream out(ini(), std::ios::binary | std::ios::trunc);
    out << text;
  }

 private:
  std::string path_;
};

}  // namespace quillon

#endif  // QUILLON_COMMON_INIT_TEST_SUPPORT_H_
