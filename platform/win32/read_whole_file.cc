#include <windows.h>

#include "platform/profile_reader.h"
#include "platform/win32/wide_text.h"

namespace quillon {

bool ReadWholeFile(const std::string& path, std::string* contents) {
  contents->clear();
  // Opening a directory fails without FILE_FLAG_BACKUP_SEMANTICS; a pipe or device in the
  // file's place is refused below, so only files on a disk are read.
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileType(file) == FILE_TYPE_DISK;
  char buffer[65536];
  while (ok) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      ok = false;
    } else if (got == 0) {
      break;
    } else {
      contents->append(buffer, got);
    }
  }
  CloseHandle(file);
  if (!ok) contents->clear();
  return ok;
}

}  // namespace quillon
