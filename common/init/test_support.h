#ifndef QUILLON_COMMON_INIT_TEST_SUPPORT_H_
#define QUILLON_COMMON_INIT_TEST_SUPPORT_H_

#include <fstream>
#include <string>

#include "tests/common/temp_dir.h"

namespace quillon {

// A temporary program directory (with its trailing '/') for one test, removed afterwards,
// into which a test may write TALVENU2.ini.
class TempProgramDir {
 public:
  TempProgramDir() {
    if (dir_.ok()) path_ = dir_.path() + "/";
  }
  const std::string& path() const { return path_; }
  std::string ini() const { return path_ + "TALVENU2.ini"; }
  void WriteIni(const std::string& text) const {
    std::ofstream out(ini(), std::ios::binary | std::ios::trunc);
    out << text;
  }

 private:
  TempDir dir_{"quillon_init."};
  std::string path_;
};

}  // namespace quillon

#endif  // QUILLON_COMMON_INIT_TEST_SUPPORT_H_
