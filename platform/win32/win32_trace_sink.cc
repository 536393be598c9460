#include "platform/win32/win32_trace_sink.h"

#include <windows.h>

#include "platform/trace_line.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_system_clock.h"

namespace quillon {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring BackupPath(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) +
         L"ORNALOG.BAK";
}

// True when `path` names the very file open as `file` (not one that a rotation put there).
bool SameFile(HANDLE file, const std::wstring& path) {
  HANDLE named = CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION a, b;
  bool same = GetFileInformationByHandle(file, &a) && GetFileInformationByHandle(named, &b) &&
              a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
              a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
  CloseHandle(named);
  return same;
}

}  // namespace

Win32TraceSink::Win32TraceSink()
    : own_clock_(std::make_unique<Win32SystemClock>()),
      clock_(own_clock_.get()),
      rotate_size_(kRotateSize) {}

Win32TraceSink::Win32TraceSink(Clock* clock, uint64_t rotate_size)
    : clock_(clock), rotate_size_(rotate_size) {}

Win32TraceSink::~Win32TraceSink() = default;

int Win32TraceSink::Append(std::string_view path_view, std::string_view message) {
  const std::wstring path = Widen(path_view);
  const std::string line = FormatTraceLine(clock_->Now(), static_cast<long>(GetCurrentProcessId()),
                                           static_cast<long>(GetCurrentThreadId()), message);
  // The lock covers one byte far past any real file size, so readers of the text are never
  // refused; it only orders the writers.
  OVERLAPPED lock_at{};
  lock_at.Offset = 0xFFFFFFFE;
  lock_at.OffsetHigh = 0x7FFFFFFF;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0;; ++attempt) {
    file = CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE | FILE_READ_ATTRIBUTES,
                       kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lock_at)) {
      int error = static_cast<int>(GetLastError());
      CloseHandle(file);
      return error;
    }
    if (SameFile(file, path)) break;
    // Another writer rotated the file while this one waited; bounded, since every round
    // means another writer made progress.
    UnlockFileEx(file, 0, 1, 0, &lock_at);
    CloseHandle(file);
    if (attempt == 7) return ERROR_FILE_INVALID;
  }
  DWORD written = 0;
  int result = 0;
  if (!WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
      written != line.size()) {
    result = static_cast<int>(GetLastError());
  }
  LARGE_INTEGER size{};
  if (result == 0 && GetFileSizeEx(file, &size) &&
      static_cast<uint64_t>(size.QuadPart) > rotate_size_) {
    // Still under the lock: nobody writes between this rename and the next writer's check.
    if (!MoveFileExW(path.c_str(), BackupPath(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
      result = static_cast<int>(GetLastError());
    }
  }
  UnlockFileEx(file, 0, 1, 0, &lock_at);
  CloseHandle(file);
  return result;
}

}  // namespace quillon
