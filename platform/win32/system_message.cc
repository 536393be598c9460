#include "platform/win32/system_message.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

std::string FormatIn(Status code, DWORD language) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, language, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (n == 0 || text == nullptr) return {};
  std::wstring_view view(text, n);
  while (!view.empty() && (view.back() == L'\r' || view.back() == L'\n' || view.back() == L' ')) {
    view.remove_suffix(1);
  }
  std::string out = Narrow(view);
  LocalFree(text);
  return out;
}

}  // namespace

std::string SystemMessage(Status code) {
  std::string text = FormatIn(code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  return text.empty() ? FormatIn(code, 0) : text;
}

}  // namespace quillon
