#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "platform/file_system.h"
#include "platform/profile.h"
#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

// The profile functions and the file-system functions on Windows paths, with a directory
// name that no single-byte code page can spell.
TEST(Win32ProfileFileTest, ReadsAnIniFileUnderAJapanesePath) {
  const std::string dir = TempFilesDirectory() + "\xE8\xA8\xAD\xE5\xAE\x9A_" +  // "設定"
                          std::to_string(GetCurrentProcessId());
  ASSERT_EQ(MakeDirectory(dir), kOk);
  EXPECT_EQ(MakeDirectory(dir), kErrorAlreadyExists);
  EXPECT_EQ(MakeDirectory(dir + "\\missing\\child"), kErrorPathNotFound);
  const std::string ini = dir + "\\TALVENU2.ini";
  ASSERT_EQ(
      ReplaceFileAtomically(ini, "[LIFETIME]\r\nCPUFAN=43800\r\nNAME=\"ja \xE6\x97\xA5\"\r\n"),
      kOk);
  ASSERT_EQ(ReplaceFileAtomically(ini, "[LifeTime]\r\nCpuFan=52560\r\nName=\"\xE6\x97\xA5\"\r\n"),
            kOk);

  EXPECT_EQ(ReadProfileInt(ini, "lifetime", "CPUFAN", 7), 52560u);
  EXPECT_EQ(ReadProfileString(ini, "LIFETIME", "name", "-", 16), "\xE6\x97\xA5");
  EXPECT_EQ(ReadProfileInt(ini, "LifeTime", "Missing", 7), 7u);
  EXPECT_EQ(ReadProfileInt(dir, "LifeTime", "CpuFan", 9), 9u);  // a directory is no file
  EXPECT_EQ(ReadProfileInt(dir + "\\none.ini", "LifeTime", "CpuFan", 9), 9u);

  DeleteFileW(Widen(ini).c_str());
  RemoveDirectoryW(Widen(dir).c_str());
}

}  // namespace
}  // namespace quillon
