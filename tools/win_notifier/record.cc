#include "tools/win_notifier/record.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace quillon::notifier {
namespace {

// The first line of a small text file, without its line end; empty when it cannot be read.
std::string FirstLine(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  char buffer[1024];
  DWORD got = 0;
  const BOOL ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr);
  CloseHandle(file);
  if (!ok) return {};
  std::string line(buffer, got);
  if (line.size() >= 3 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  return line.substr(0, line.find_first_of("\r\n"));
}

}  // namespace

std::string RecordPath(const std::string& program_dir) {
  wchar_t value[1024];
  const DWORD n = GetEnvironmentVariableW(L"QUILLON_NOTIFY_RECORD", value, 1024);
  if (n > 0 && n < 1024) return Narrow(std::wstring_view(value, n));
  return FirstLine(Widen(program_dir + "notify_record.txt"));
}

bool AppendRecord(const std::string& path, const std::string& command_line) {
  // FILE_APPEND_DATA alone: every write lands at the end of the file as one piece.
  HANDLE file =
      CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const std::string record = command_line + "\n";
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == record.size();
}

}  // namespace quillon::notifier
