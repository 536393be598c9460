#include "platform/posix/operator_group.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace quillon {

bool LookUpGroup(const char* name, unsigned* gid) {
  std::vector<char> buf(4096);
  group grp;
  group* found = nullptr;
  while (getgrnam_r(name, &grp, buf.data(), buf.size(), &found) == ERANGE &&
         buf.size() < (1u << 20)) {
    buf.resize(buf.size() * 2);
  }
  if (found == nullptr) return false;
  if (gid != nullptr) *gid = found->gr_gid;
  return true;
}

void ShareWithOperators(const std::string& path) {
  unsigned gid = 0;
  // Only root or a member may hand a file to the group; a refusal keeps the caller's group,
  // which still admits the file's owner, so it is not an error.
  if (LookUpGroup(kOperatorGroup, &gid) && chown(path.c_str(), static_cast<uid_t>(-1), gid) != 0) {
    return;
  }
}

void CreateSharedStoreFile(const std::string& path) {
  // O_EXCL: only the process that really creates the file sets its mode and group, so a
  // store an administrator has deliberately changed is never touched again.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kOperatorFileMode);
  if (fd < 0) return;
  (void)fchmod(fd, kOperatorFileMode);  // the umask may have taken group bits away
  close(fd);
  ShareWithOperators(path);
}

}  // namespace quillon
