#include "platform/file_system.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(Win32PathTest, BothSlashesSeparateAndEveryKindOfRootIsKnown) {
  EXPECT_TRUE(IsPathSeparator('\\'));
  EXPECT_TRUE(IsPathSeparator('/'));
  EXPECT_FALSE(IsPathSeparator(':'));
  EXPECT_EQ(PathRootLength("C:\\Logs\\setup.log"), 3u);
  EXPECT_EQ(PathRootLength("d:/Logs/setup.log"), 3u);
  EXPECT_EQ(PathRootLength("C:relative\\x"), 0u);  // relative to the drive's current directory
  EXPECT_EQ(PathRootLength("\\\\server\\share\\Logs\\x"), 15u);
  EXPECT_EQ(PathRootLength("\\\\server\\share"), 14u);
  EXPECT_EQ(PathRootLength("\\Logs\\x"), 1u);
  EXPECT_EQ(PathRootLength("Logs\\x"), 0u);
  EXPECT_EQ(PathRootLength(""), 0u);
}

}  // namespace
}  // namespace quillon
