#include "platform/single_instance.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace quillon {
namespace {

std::string LockDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] != '\0') {
    std::string dir = runtime;
    if (dir.back() != '/') dir += '/';
    return dir;
  }
  // Without a session runtime directory fall back to a private directory of this user, so
  // that other users can neither take nor block the lock.
  std::string dir = "/tmp/quillon-" + std::to_string(getuid()) + "/";
  mkdir(dir.c_str(), 0700);
  return dir;
}

Status FromErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return kErrorAccessDenied;
    case ENOENT:
    case ENOTDIR:
      return kErrorNotFound;
    default:
      return kErrorInvalidFunction;
  }
}

}  // namespace

// The locked file's descriptor; closing it releases the flock.
class SingleInstance::Claim {
 public:
  explicit Claim(int fd) : fd_(fd) {}
  ~Claim() { close(fd_); }
  Claim(const Claim&) = delete;
  Claim& operator=(const Claim&) = delete;

 private:
  int fd_;
};

SingleInstance::SingleInstance(std::string name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

std::string SingleInstance::path() const { return LockDirectory() + name_; }

Status SingleInstance::Acquire() {
  if (claim_ != nullptr) return kOk;
  const std::string file = path();
  const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return FromErrno(errno);
  int rc;
  do {
    rc = flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const int error = errno;
    close(fd);
    return error == EWOULDBLOCK ? kErrorAlreadyExists : FromErrno(error);
  }
  claim_ = std::make_unique<Claim>(fd);
  return kOk;
}

}  // namespace quillon
