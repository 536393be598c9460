#include "setup/directory_chain.h"

#include "platform/file_system.h"

namespace quillon {

Status CreateDirectoryChain(const std::string& path) {
  // The root needs no creating; a relative path has no root, so its first directory counts.
  for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1)) {
    const Status s = MakeDirectory(path.substr(0, pos + 1));
    if (s != kOk && s != kErrorAlreadyExists) return s;
  }
  return kOk;
}

}  // namespace quillon
