#include "platform/file_system.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdlib>

namespace quillon {

Status MakeDirectory(const std::string& path) {
  if (mkdir(path.c_str(), 0755) == 0) return kOk;
  switch (errno) {
    case EEXIST:
      return kErrorAlreadyExists;
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case EROFS:
      return kErrorWriteProtect;
    case ENOSPC:
    case EDQUOT:
      return kErrorDiskFull;
    case ENAMETOOLONG:
      return kErrorFilenameTooLong;
    default:
      return kErrorWriteFault;
  }
}

std::string TempFilesDirectory() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string dir = (tmpdir != nullptr && tmpdir[0] == '/') ? tmpdir : "/tmp";
  if (dir.back() != '/') dir.push_back('/');
  return dir;
}

}  // namespace quillon
