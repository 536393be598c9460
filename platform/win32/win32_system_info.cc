#include "platform/win32/win32_system_info.h"

#include <windows.h>

#include "platform/win32/system_message.h"
#include "platform/win32/wide_text.h"

namespace quillon {

std::string Win32SystemInfo::ProgramPath() {
  // Paths may be longer than MAX_PATH; the buffer grows until the whole path fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) return Narrow(std::wstring_view(path.data(), n));
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::string Win32SystemInfo::ProgramDirectory() {
  std::string path = ProgramPath();
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

uint16_t Win32SystemInfo::UserDefaultLangId() { return GetUserDefaultLangID(); }

uint16_t Win32SystemInfo::SystemDefaultLangId() { return GetSystemDefaultLangID(); }

uint32_t Win32SystemInfo::VersionWord() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersion();
#pragma GCC diagnostic pop
}

std::string Win32SystemInfo::ErrorMessage(Status code) { return SystemMessage(code); }

}  // namespace quillon
