#include "platform/file_system.h"

#include <windows.h>

#include <atomic>

#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

Status DirectoryFailure(DWORD error) {
  switch (error) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return kErrorAlreadyExists;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
      return kErrorPathNotFound;
    case ERROR_ACCESS_DENIED:
      return kErrorAccessDenied;
    case ERROR_WRITE_PROTECT:
      return kErrorWriteProtect;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return kErrorDiskFull;
    case ERROR_FILENAME_EXCED_RANGE:
      return kErrorFilenameTooLong;
    default:
      return kErrorWriteFault;
  }
}

}  // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

size_t PathRootLength(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && IsPathSeparator(path[2])) return 3;
  if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
    // A share: the separators after the server's and the share's names end the root (which
    // CreateDirectoryW refuses with "access denied", not "exists").
    size_t pos = 2;
    for (int names = 0; names < 2 && pos < path.size(); ++pos) {
      if (IsPathSeparator(path[pos])) ++names;
    }
    return pos;
  }
  return !path.empty() && IsPathSeparator(path[0]) ? 1 : 0;
}

Status MakeDirectory(const std::string& path) {
  return CreateDirectoryW(Widen(path).c_str(), nullptr) ? kOk : DirectoryFailure(GetLastError());
}

std::string TempFilesDirectory() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);  // ends with a backslash
  return n > 0 && n <= MAX_PATH ? Narrow(std::wstring_view(buffer, n)) : "C:\\Windows\\Temp\\";
}

Status ReplaceFileAtomically(const std::string& path, std::string_view data) {
  static std::atomic<unsigned> counter{0};
  const std::wstring target = Widen(path);
  const std::wstring temp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                            std::to_wstring(counter++) + L".tmp";
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return DirectoryFailure(GetLastError());
  DWORD written = 0;
  bool ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
            written == data.size() && FlushFileBuffers(file);
  DWORD error = ok ? 0 : GetLastError();
  CloseHandle(file);
  // MOVEFILE_WRITE_THROUGH returns only once the rename is on the disk.
  if (ok && !MoveFileExW(temp.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = GetLastError();
  }
  if (!ok) {
    DeleteFileW(temp.c_str());
    return DirectoryFailure(error);
  }
  return kOk;
}

}  // namespace quillon
