#include "platform/runtime_dir.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/errno_status.h"

namespace quillon {

std::string RuntimeDir() {
  const char* env = std::getenv("QUILLON_RUNTIME_DIR");
  std::string dir = (env != nullptr && *env != '\0') ? env : "/run/quillon/";
  if (dir.back() != '/') dir.push_back('/');
  return dir;
}

Status EnsureRuntimeDir() {
  std::string dir = RuntimeDir();
  // Walk the path so that missing parents are made too; an existing component is fine.
  for (size_t pos = 1; pos < dir.size(); ++pos) {
    if (dir[pos] != '/') continue;
    std::string part = dir.substr(0, pos);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return StatusFromErrno(errno);
  }
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) return StatusFromErrno(errno);
  return S_ISDIR(st.st_mode) ? kOk : kErrorBadPathname;
}

}  // namespace quillon
