#include "setup/directory_chain.h"

#include "platform/file_system.h"

namespace quillon {

Status CreateDirectoryChain(const std::string& path) {
  // The root ("/", "C:\\") needs no creating, and Windows answers "access denied" for it;
  // a relative path has no root, so its first directory counts.
  for (size_t pos = PathRootLength(path); pos < path.size(); ++pos) {
    if (!IsPathSeparator(path[pos])) continue;
    const Status s = MakeDirectory(path.substr(0, pos + 1));
    if (s != kOk && s != kErrorAlreadyExists) return s;
  }
  return kOk;
}

}  // namespace quillon
