// The stand-ins' recording mode as the end-to-end test uses it: both command-line forms the
// service builds reach the record exactly, Japanese text and line feeds included.
#include "tools/win_notifier/record.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "gtest/gtest.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_process_launcher.h"
#include "tests/common/temp_dir.h"

namespace quillon::notifier {
namespace {

std::string OwnDirectory() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string dir = Narrow(std::wstring_view(path, n));
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Starts `command_line` and waits for it; its exit code.
uint32_t RunProgram(const std::string& command_line) {
  Win32ProcessLauncher launcher;
  uint32_t code = 99;
  EXPECT_EQ(launcher.Run(command_line, "", &code), kOk) << command_line;
  return code;
}

TEST(WinNotifierRecordTest, BothFormsAreRecordedExactly) {
  TempDir dir;
  const std::string record = dir.File("record.txt");
  SetEnvironmentVariableW(L"QUILLON_NOTIFY_RECORD", Widen(record).c_str());
  const std::string program = OwnDirectory() + "TALVENMS.exe";
  // As the service builds them: the quoted path, then the warning text, which carries its
  // own quotes and may hold a line feed, then the item number for a pre-warning.
  const std::string limit =
      "\"" + program + "\" \"CPU FAN の寿命を超えました。\nお問い合わせください。\"";
  const std::string pre = "\"" + program + "\" \"RAID battery: 5 days left.\" 3";
  EXPECT_EQ(RunProgram(limit), 0u);
  EXPECT_EQ(RunProgram(pre), 0u);
  SetEnvironmentVariableW(L"QUILLON_NOTIFY_RECORD", nullptr);
  EXPECT_EQ(ReadAll(record), limit + "\n" + pre + "\n");
}

TEST(WinNotifierRecordTest, TheFileBesideTheProgramNamesTheRecord) {
  TempDir dir;
  SetEnvironmentVariableW(L"QUILLON_NOTIFY_RECORD", nullptr);
  EXPECT_EQ(RecordPath(dir.path() + "\\"), "");
  const std::string record = dir.File("record.txt");
  {
    std::ofstream(std::filesystem::u8path(dir.File("notify_record.txt")), std::ios::binary)
        << record << "\r\nignored\r\n";
  }
  EXPECT_EQ(RecordPath(dir.path() + "\\"), record);
  ASSERT_TRUE(AppendRecord(record, "\"a\" b"));
  ASSERT_TRUE(AppendRecord(record, "\"a\" c 1"));
  EXPECT_EQ(ReadAll(record), "\"a\" b\n\"a\" c 1\n");
  EXPECT_FALSE(AppendRecord(dir.File("missing\\record.txt"), "x"));
}

}  // namespace
}  // namespace quillon::notifier
