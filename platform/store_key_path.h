#ifndef QUILLON_PLATFORM_STORE_KEY_PATH_H_
#define QUILLON_PLATFORM_STORE_KEY_PATH_H_

#include <string_view>

namespace quillon {

// True when a Store key path has no empty component: no leading or trailing backslash and no
// "\\" inside. The empty path itself is the root. Every Store backend refuses other paths with
// kErrorBadPathname.
inline bool ValidKeyPath(std::string_view key) {
  if (key.empty()) return true;
  if (key.front() == '\\' || key.back() == '\\') return false;
  return key.find("\\\\") == std::string_view::npos;
}

}  // namespace quillon

#endif  // QUILLON_PLATFORM_STORE_KEY_PATH_H_
