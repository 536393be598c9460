#include "platform/posix/file_trace_sink.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/posix/system_clock.h"
#include "platform/trace_line.h"

namespace quillon {
namespace {

constexpr char kBackupName[] = "ORNALOG.BAK";

std::string BackupPath(std::string_view path) {
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string_view::npos ? "" : std::string(path.substr(0, slash + 1));
  return dir + kBackupName;
}

// Closes the descriptor (and so drops its flock) on every way out.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

FileTraceSink::FileTraceSink()
    : own_clock_(std::make_unique<SystemClock>()),
      clock_(own_clock_.get()),
      rotate_size_(kRotateSize) {}

FileTraceSink::FileTraceSink(Clock* clock, uint64_t rotate_size)
    : clock_(clock), rotate_size_(rotate_size) {}

FileTraceSink::~FileTraceSink() = default;

std::string FileTraceSink::FormatLine(const LocalDateTime& now, long pid, long tid,
                                      std::string_view message) {
  return FormatTraceLine(now, pid, tid, message);
}

int FileTraceSink::Append(std::string_view path_view, std::string_view message) {
  const std::string path(path_view);
  std::string line =
      FormatLine(clock_->Now(), static_cast<long>(getpid()), static_cast<long>(gettid()), message);

  Fd fd(-1);
  // A writer that rotated the file while we waited for the lock leaves us holding the old
  // file; open the path again then. Bounded, since every round means another writer made
  // progress.
  for (int attempt = 0; attempt < 8; ++attempt) {
    fd.reset(open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (fd.get() < 0) return errno;
    while (flock(fd.get(), LOCK_EX) != 0) {
      if (errno != EINTR) return errno;
    }
    struct stat held {};
    struct stat named {};
    if (fstat(fd.get(), &held) != 0) return errno;
    if (stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino) {
      break;
    }
    if (attempt == 7) return ESTALE;
  }

  if (!WriteAll(fd.get(), line)) return errno;

  struct stat after {};
  if (fstat(fd.get(), &after) == 0 && static_cast<uint64_t>(after.st_size) > rotate_size_) {
    // Still under the lock: nobody writes to the file between this rename and the next
    // writer's check of the path.
    if (rename(path.c_str(), BackupPath(path).c_str()) != 0) return errno;
  }
  return 0;
}

}  // namespace quillon
