#include "platform/win32/win32_shell_links.h"

#include <windows.h>
// windows.h first: the shell headers build on it.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <utility>

#include "platform/file_system.h"
#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

constexpr size_t kMaxText = 259;  // what a shell link's text fields hold

// COM on the calling thread for the length of one Create. A thread that already runs COM in
// another mode keeps it; the shell link object works in either.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

// The interface pointer's Release at the end of the scope.
template <typename T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p != nullptr) p->Release();
  }
};

// A failing COM status as the seam's status: the Windows error inside it when it carries one.
Status FromHresult(HRESULT hr) {
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return HRESULT_CODE(hr);
  return static_cast<Status>(hr);
}

std::wstring WithBackslash(std::wstring dir) {
  if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
  return dir;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring out;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path))) out = path;
  CoTaskMemFree(path);
  return WithBackslash(std::move(out));
}

// Creates the link object with every field of `link` set.
HRESULT MakeLink(const ShellLink& link, IShellLinkW** out) {
  IShellLinkW* shell_link = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell_link));
  if (FAILED(hr)) return hr;
  Released<IShellLinkW> owned{shell_link};
  if (FAILED(hr = shell_link->SetPath(Widen(link.target).c_str())) ||
      FAILED(hr = shell_link->SetArguments(Widen(link.arguments).c_str())) ||
      FAILED(hr = shell_link->SetWorkingDirectory(Widen(link.working_directory).c_str())) ||
      FAILED(hr = shell_link->SetDescription(Widen(link.description).c_str())) ||
      FAILED(hr = shell_link->SetIconLocation(Widen(link.icon_path).c_str(), link.icon_index)) ||
      FAILED(hr = shell_link->SetShowCmd(link.show_command)) ||
      FAILED(hr = shell_link->SetHotkey(link.hot_key))) {
    return hr;
  }
  owned.p = nullptr;
  *out = shell_link;
  return S_OK;
}

}  // namespace

Win32ShellLinks::Win32ShellLinks(std::string programs_dir, std::string startup_dir)
    : programs_dir_(std::move(programs_dir)), startup_dir_(std::move(startup_dir)) {}

bool Win32ShellLinks::HasFolder(LinkFolder folder) {
  if (folder == LinkFolder::kCommonPrograms) return true;
  // The low byte of the version word is the major version; the high bit marks a non-NT system.
  const DWORD version = GetVersion();
  return (version & 0x80000000u) == 0 && LOBYTE(LOWORD(version)) >= 6;
}

std::wstring Win32ShellLinks::Folder(LinkFolder folder) const {
  const std::string& fixed = folder == LinkFolder::kCommonPrograms ? programs_dir_ : startup_dir_;
  if (!fixed.empty()) return WithBackslash(Widen(fixed));
  return KnownFolder(folder == LinkFolder::kCommonPrograms ? FOLDERID_CommonPrograms
                                                           : FOLDERID_Startup);
}

Status Win32ShellLinks::Create(LinkFolder folder, const ShellLink& link) {
  for (const std::string* text : {&link.name, &link.description, &link.target, &link.arguments,
                                  &link.working_directory, &link.icon_path}) {
    if (Widen(*text).size() > kMaxText) return kErrorInvalidParameter;
  }
  if (link.name.empty()) return kErrorInvalidParameter;
  ComScope com;
  const std::wstring dir = Folder(folder);
  if (dir.empty()) return kErrorPathNotFound;
  const int made = SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) {
    return kErrorPathNotFound;
  }
  const std::wstring path = dir + Widen(link.name) + L".lnk";
  const std::wstring temp = dir + Widen(link.name) + L"." + std::to_wstring(GetCurrentProcessId()) +
                            L"." + std::to_wstring(GetCurrentThreadId()) + L".tmp";

  IShellLinkW* shell_link = nullptr;
  HRESULT hr = MakeLink(link, &shell_link);
  if (FAILED(hr)) return FromHresult(hr);
  Released<IShellLinkW> owned_link{shell_link};
  IPersistFile* file = nullptr;
  hr = shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (FAILED(hr)) return FromHresult(hr);
  Released<IPersistFile> owned_file{file};
  hr = file->Save(temp.c_str(), TRUE);
  if (FAILED(hr)) {
    DeleteFileW(temp.c_str());
    return FromHresult(hr);
  }
  if (!MoveFileExW(temp.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const Status error = GetLastError();
    DeleteFileW(temp.c_str());
    return error;
  }
  return kOk;
}

}  // namespace quillon
