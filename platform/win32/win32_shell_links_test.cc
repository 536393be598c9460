#include "platform/win32/win32_shell_links.h"

#include <windows.h>
// windows.h first: the shell headers build on it.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "gtest/gtest.h"
#include "platform/file_system.h"
#include "platform/win32/wide_text.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

// A link as the shell reads it back.
struct ReadLink {
  std::string target, arguments, working_directory, description, icon_path;
  int icon_index = -1;
  int show_command = -1;
  WORD hot_key = 0xFFFF;
};

bool Load(const std::string& path, ReadLink* out) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return false;
  }
  IPersistFile* file = nullptr;
  bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(Widen(path).c_str(), STGM_READ));
  wchar_t text[MAX_PATH + 1];
  if (ok) {
    ok = SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH));
    out->target = Narrow(text);
    ok = ok && SUCCEEDED(link->GetArguments(text, MAX_PATH));
    out->arguments = Narrow(text);
    ok = ok && SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH));
    out->working_directory = Narrow(text);
    ok = ok && SUCCEEDED(link->GetDescription(text, MAX_PATH));
    out->description = Narrow(text);
    ok = ok && SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &out->icon_index));
    out->icon_path = Narrow(text);
    ok = ok && SUCCEEDED(link->GetShowCmd(&out->show_command));
    ok = ok && SUCCEEDED(link->GetHotkey(&out->hot_key));
  }
  if (file != nullptr) file->Release();
  link->Release();
  return ok;
}

// The show command as the link file holds it (the 32-bit field at offset 0x3C of its header).
int StoredShowCommand(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  char header[0x40] = {};
  in.read(header, sizeof header);
  int32_t show = -1;
  std::memcpy(&show, header + 0x3C, sizeof show);
  return in ? show : -1;
}

std::string OwnPath() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return Narrow(std::wstring_view(path, n));
}

std::string Backslashed(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

class Win32ShellLinksTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }

  int FilesIn(const std::string& dir) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::u8path(dir))) {
      (void)e;
      ++n;
    }
    return n;
  }
};

TEST_F(Win32ShellLinksTest, CreatesBothLinksWithEveryField) {
  TempDir dir;
  const std::string programs = Backslashed(dir.File("Programs"));
  const std::string startup = Backslashed(dir.File("Startup\\Nested"));  // created when missing
  Win32ShellLinks links(programs, startup);
  const std::string program_dir = Backslashed(dir.path()) + "\\";
  const std::string target = OwnPath();
  ShellLink link{"クィロン", "クィロン 管理", target, "-x \"a b\"", program_dir, target, 0, 6, 0};
  ASSERT_EQ(links.Create(LinkFolder::kCommonPrograms, link), kOk);
  ShellLink startup_link{
      "TALVEN StartUp", "Quillon StartUp", target, "", program_dir, target, 1, 1, 0x0651};
  ASSERT_EQ(links.Create(LinkFolder::kUserStartup, startup_link), kOk);

  ReadLink read;
  ASSERT_TRUE(Load(programs + "\\クィロン.lnk", &read));
  EXPECT_EQ(read.target, target);
  EXPECT_EQ(read.arguments, "-x \"a b\"");
  EXPECT_EQ(read.working_directory, program_dir);
  EXPECT_EQ(read.description, "クィロン 管理");
  EXPECT_EQ(read.icon_path, target);
  EXPECT_EQ(read.icon_index, 0);
  // Wine's shell reads a show command other than 1, 3 or 7 back as 1; the file holds 6.
  EXPECT_EQ(StoredShowCommand(programs + "\\クィロン.lnk"), 6);
  EXPECT_EQ(read.hot_key, 0);
  ASSERT_TRUE(Load(startup + "\\TALVEN StartUp.lnk", &read));
  EXPECT_EQ(read.description, "Quillon StartUp");
  EXPECT_EQ(read.arguments, "");
  EXPECT_EQ(read.icon_index, 1);
  EXPECT_EQ(read.show_command, 1);
  EXPECT_EQ(StoredShowCommand(startup + "\\TALVEN StartUp.lnk"), 1);
  EXPECT_EQ(read.hot_key, 0x0651);
  // Only the links themselves: no temporary file stays behind.
  EXPECT_EQ(FilesIn(programs), 1);
  EXPECT_EQ(FilesIn(startup), 1);
}

TEST_F(Win32ShellLinksTest, ReplacesALinkAndRefusesWhatItCannotWrite) {
  TempDir dir;
  const std::string programs = Backslashed(dir.File("Programs"));
  Win32ShellLinks links(programs, programs);
  const std::string target = OwnPath();
  ShellLink link{"Quillon", "Quillon", target, "", "C:\\", target, 0, 6, 0};
  ASSERT_EQ(links.Create(LinkFolder::kCommonPrograms, link), kOk);
  link.description = "Quillon again";
  ASSERT_EQ(links.Create(LinkFolder::kCommonPrograms, link), kOk);
  ReadLink read;
  ASSERT_TRUE(Load(programs + "\\Quillon.lnk", &read));
  EXPECT_EQ(read.description, "Quillon again");
  EXPECT_EQ(FilesIn(programs), 1);

  link.description = std::string(260, 'x');
  EXPECT_EQ(links.Create(LinkFolder::kCommonPrograms, link), kErrorInvalidParameter);
  link.description = "Quillon";
  link.name.clear();
  EXPECT_EQ(links.Create(LinkFolder::kCommonPrograms, link), kErrorInvalidParameter);

  // A folder below a plain file cannot be made.
  const std::string file = Backslashed(dir.File("plain"));
  CloseHandle(CreateFileW(Widen(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  Win32ShellLinks blocked(file + "\\Programs", file + "\\Startup");
  link.name = "Quillon";
  EXPECT_EQ(blocked.Create(LinkFolder::kUserStartup, link), kErrorPathNotFound);
  EXPECT_EQ(FilesIn(dir.path()), 2);  // Programs and the plain file
}

TEST_F(Win32ShellLinksTest, FoldersOfThisSystem) {
  Win32ShellLinks links;
  EXPECT_TRUE(links.HasFolder(LinkFolder::kCommonPrograms));
  const DWORD version = GetVersion();
  EXPECT_EQ(links.HasFolder(LinkFolder::kUserStartup), LOBYTE(LOWORD(version)) >= 6);
}

}  // namespace
}  // namespace quillon
