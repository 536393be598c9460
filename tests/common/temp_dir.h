#ifndef QUILLON_TESTS_COMMON_TEMP_DIR_H_
#define QUILLON_TESTS_COMMON_TEMP_DIR_H_

#include <string>
#include <string_view>

namespace quillon {

// A fresh, empty directory of its own below the system's temporary directory, readable and
// writable by its owner only, removed with everything in it when the object goes away. For
// tests and benchmarks: every test that needs files makes one.
//
// path() is empty when the directory could not be made (tests check ok()). Not copyable; a
// moved-from TempDir removes nothing.
class TempDir {
 public:
  // Makes "<temporary directory>/<prefix>XXXXXX" with a name no other TempDir has.
  explicit TempDir(std::string_view prefix = "quillon-test-");
  ~TempDir();
  TempDir(TempDir&& other) noexcept;
  TempDir& operator=(TempDir&& other) noexcept;
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool ok() const { return !path_.empty(); }
  // The directory, without a trailing slash.
  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string File(std::string_view name) const;

 private:
  void Remove();

  std::string path_;
};

}  // namespace quillon

#endif  // QUILLON_TESTS_COMMON_TEMP_DIR_H_
