#ifndef QUILLON_PLATFORM_FILE_SYSTEM_H_
#define QUILLON_PLATFORM_FILE_SYSTEM_H_

#include <string>
#include <string_view>

#include "platform/status.h"

namespace quillon {

// Statuses of directory creation besides those in platform/status.h, with the numbers the
// Windows backend reports for the same failures.
inline constexpr Status kErrorPathNotFound = 3;       // a parent is missing or not a directory
inline constexpr Status kErrorWriteProtect = 19;      // read-only file system
inline constexpr Status kErrorDiskFull = 112;         // no space or quota left
inline constexpr Status kErrorFilenameTooLong = 206;  // a name or the path is too long

// Whether `c` separates the directories of a path on this OS: '/' on Linux; '\\' and '/' on
// Windows, which accepts both in every path. Thread-safe.
bool IsPathSeparator(char c);

// The length of the root at the start of `path`, which exists on every machine and is never
// created: 1 for "/..." on Linux; on Windows 3 for a drive ("C:\\..."), the server and share
// with their separators for "\\\\server\\share\\...", 1 for "\\..." (the current drive's
// root). 0 for a relative path. Thread-safe.
size_t PathRootLength(const std::string& path);

// Creates one directory (mode 0755 less the umask); its parent must exist. Returns 0 when it
// was created, kErrorAlreadyExists when something of that name exists already (directory or
// not), and otherwise kErrorPathNotFound, kErrorAccessDenied, kErrorWriteProtect,
// kErrorDiskFull, kErrorFilenameTooLong or kErrorWriteFault (any other failure). Thread-safe.
Status MakeDirectory(const std::string& path);

// The directory for temporary files, with its trailing separator: $TMPDIR when it is set to
// an absolute path, else "/tmp/". Reads the environment on every call.
std::string TempFilesDirectory();

// Replaces the file `path` with `data` so that a reader sees either the old or the whole new
// file, never a part: writes a temporary file of its own beside `path`, flushes it to the
// disk, renames it over `path` and flushes the directory. The file gets mode 0644. 0 on
// success; otherwise the status of the failing step (kErrorPathNotFound, kErrorAccessDenied,
// kErrorDiskFull, kErrorWriteFault, ...) and `path` is unchanged (the temporary file is
// removed). Two writers of the same path at once leave one whole file, the last renamed.
Status ReplaceFileAtomically(const std::string& path, std::string_view data);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_FILE_SYSTEM_H_
