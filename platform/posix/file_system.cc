#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/errno_status.h"

namespace quillon {

bool IsPathSeparator(char c) { return c == '/'; }

size_t PathRootLength(const std::string& path) { return !path.empty() && path[0] == '/' ? 1 : 0; }

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

namespace {

Status FromErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return kErrorPathNotFound;
    case ENOSPC:
    case EDQUOT:
      return kErrorDiskFull;
    case EIO:
      return kErrorWriteFault;
    default:
      return StatusFromErrno(err);
  }
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

Status ReplaceFileAtomically(const std::string& path, std::string_view data) {
  // A temporary name of its own, so two writers of the same path never share one.
  std::string temp = path + ".XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return FromErrno(errno);
  // The mode is set explicitly: the temporary file starts at 0600, and a restrictive umask
  // must not hide the file from the programs that read it.
  bool ok = fchmod(fd, 0644) == 0 && WriteAll(fd, data) && fsync(fd) == 0;
  int err = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    return FromErrno(err);
  }
  // The rename itself reaches the disk only with the directory.
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int dir_fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    fsync(dir_fd);
    close(dir_fd);
  }
  return kOk;
}

}  // namespace quillon
