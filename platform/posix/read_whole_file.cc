#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/profile_reader.h"

namespace quillon {

bool ReadWholeFile(const std::string& path, std::string* contents) {
  contents->clear();
  // O_NONBLOCK so that a FIFO in the file's place cannot hang the reader; only regular files
  // are read.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  char buffer[65536];
  while (true) {
    const ssize_t got = read(fd, buffer, sizeof(buffer));
    if (got < 0) {
      if (errno == EINTR) continue;
      close(fd);
      contents->clear();
      return false;
    }
    if (got == 0) break;
    contents->append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return true;
}

}  // namespace quillon
