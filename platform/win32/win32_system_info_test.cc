#include "platform/win32/win32_system_info.h"

#include <windows.h>

#include "gtest/gtest.h"

namespace quillon {
namespace {

TEST(Win32SystemInfoTest, ProgramDirectoryEndsWithABackslashBeforeTheProgramName) {
  Win32SystemInfo info;
  const std::string path = info.ProgramPath();
  const std::string dir = info.ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '\\');
  EXPECT_EQ(path, dir + "platform_test.exe");
}

TEST(Win32SystemInfoTest, LanguagesVersionAndMessagesComeFromTheSystem) {
  Win32SystemInfo info;
  EXPECT_EQ(info.UserDefaultLangId(), GetUserDefaultLangID());
  EXPECT_EQ(info.SystemDefaultLangId(), GetSystemDefaultLangID());
  EXPECT_EQ(info.VersionWord() & 0x80000000u, 0u);  // an NT system
  EXPECT_FALSE(info.ErrorMessage(kErrorAccessDenied).empty());
  EXPECT_NE(info.ErrorMessage(kErrorNotFound).back(), '\n');
}

}  // namespace
}  // namespace quillon
