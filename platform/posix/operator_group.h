#ifndef QUILLON_PLATFORM_POSIX_OPERATOR_GROUP_H_
#define QUILLON_PLATFORM_POSIX_OPERATOR_GROUP_H_

#include <string>

namespace quillon {

// The operators' group: its members may use the settings store and the service's sockets.
inline constexpr char kOperatorGroup[] = "quillon";

// Mode of every file the operators share: the store, its -wal and -shm companions, the sockets.
inline constexpr unsigned kOperatorFileMode = 0660;

// Looks the group `name` up in the group database; true and its id in *gid (when gid is not
// null) when the machine has it. Thread-safe.
bool LookUpGroup(const char* name, unsigned* gid);

// Hands `path` to the operators' group when the machine has one (its owner stays); without the
// group, or when the caller may not give the file to it (only root or a member may), the file
// keeps its group, which still admits its owner. Never fails; thread-safe.
void ShareWithOperators(const std::string& path);

// Makes the settings store file `path` when it does not exist yet, empty, mode 0660 whatever
// the umask, in the operators' group (ShareWithOperators). SQLite gives the -wal and -shm
// files it makes later the same mode and, when it runs as root, the same owner and group. An
// existing file is left as it is. A file that cannot be made here is left to SQLite, whose
// open then reports why. Thread-safe.
void CreateSharedStoreFile(const std::string& path);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_OPERATOR_GROUP_H_
