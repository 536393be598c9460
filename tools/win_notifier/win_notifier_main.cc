// TALVENMS and TALVENMI stand-ins for Windows: show a warning of the Quillon service to the
// operator in a message box.
//
//   TALVENMS.exe "text"          a limit notice
//   TALVENMS.exe "text" ITEM     a pre-warning for the part with that item number
//
// In recording mode (see record.h) the command line is appended to the record file instead,
// and no window appears.

#include <windows.h>
#include <wtsapi32.h>

#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "tools/notifier/notice_text.h"
#include "tools/win_notifier/record.h"

namespace {

using quillon::Narrow;
using quillon::Widen;

std::wstring ModulePath() {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n < path.size() ? n : 0);
  return path;
}

// The program's arguments after its name, as the C runtime of the notifiers splits them.
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return args;
  for (int i = 1; i < argc; ++i) args.push_back(Narrow(argv[i]));
  LocalFree(argv);
  return args;
}

// A program started by the service runs in the services' session, where a message box reaches
// nobody; the notice then goes to the session at the console.
void Show(const std::wstring& text, const std::wstring& caption) {
  DWORD session = 0;
  if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) {
    DWORD response = 0;
    std::wstring title = caption;
    std::wstring body = text;
    if (WTSSendMessageW(WTS_CURRENT_SERVER_HANDLE, WTSGetActiveConsoleSessionId(), title.data(),
                        static_cast<DWORD>(title.size() * sizeof(wchar_t)), body.data(),
                        static_cast<DWORD>(body.size() * sizeof(wchar_t)), MB_OK | MB_ICONWARNING,
                        0, &response, FALSE)) {
      return;
    }
  }
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

}  // namespace

int main() {
  using namespace quillon::notifier;
  const std::wstring module = ModulePath();
  const size_t slash = module.find_last_of(L"\\/");
  const std::string dir = Narrow(module.substr(0, slash == std::wstring::npos ? 0 : slash + 1));
  std::string program = Narrow(module.substr(slash == std::wstring::npos ? 0 : slash + 1));
  if (const size_t dot = program.rfind('.'); dot != std::string::npos) program.resize(dot);
  if (program.empty()) program = "TALVENMS";

  if (const std::string record = RecordPath(dir); !record.empty()) {
    return AppendRecord(record, Narrow(GetCommandLineW())) ? 0 : 1;
  }
  Notice notice;
  if (!ParseArguments(program, Arguments(), &notice)) {
    Show(Widen("usage: " + program + " \"text\" [item]"), L"Quillon");
    return 2;
  }
  std::string text = FormatNotice(notice);
  text.erase(0, text.find_first_not_of('\n'));
  std::wstring shown;
  for (wchar_t c : Widen(text)) {
    if (c == L'\n') shown += L'\r';
    shown += c;
  }
  Show(shown, L"Quillon");
  return 0;
}
