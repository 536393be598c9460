#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

TEST(PathTest, OnlyTheSlashSeparatesAndOnlyALeadingOneIsARoot) {
  EXPECT_TRUE(IsPathSeparator('/'));
  EXPECT_FALSE(IsPathSeparator('\\'));  // an ordinary character in a Linux file name
  EXPECT_EQ(PathRootLength("/var/log/x"), 1u);
  EXPECT_EQ(PathRootLength("logs/x"), 0u);
  EXPECT_EQ(PathRootLength(""), 0u);
  EXPECT_EQ(PathRootLength("C:\\Logs\\x"), 0u);
}

TEST(MakeDirectoryTest, CreatesExistsAndFailsWithTheWindowsNumbers) {
  TempDir temp("file_system_test.");
  ASSERT_TRUE(temp.ok());
  const std::string& root = temp.path();

  EXPECT_EQ(MakeDirectory(root + "/a"), kOk);
  EXPECT_EQ(MakeDirectory(root + "/a/"), kErrorAlreadyExists);
  EXPECT_EQ(MakeDirectory(root + "/missing/b"), kErrorPathNotFound);
  std::ofstream(root + "/file") << "x";
  EXPECT_EQ(MakeDirectory(root + "/file"), kErrorAlreadyExists);
  EXPECT_EQ(MakeDirectory(root + "/file/sub"), kErrorPathNotFound);
  EXPECT_EQ(MakeDirectory(root + "/" + std::string(300, 'n')), kErrorFilenameTooLong);

  struct stat st;
  ASSERT_EQ(stat((root + "/a").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(TempFilesDirectoryTest, TmpdirWhenAbsoluteElseTmp) {
  const char* old = getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", "/var/tmp", 1);
  EXPECT_EQ(TempFilesDirectory(), "/var/tmp/");
  setenv("TMPDIR", "relative", 1);
  EXPECT_EQ(TempFilesDirectory(), "/tmp/");
  unsetenv("TMPDIR");
  EXPECT_EQ(TempFilesDirectory(), "/tmp/");
  if (old) setenv("TMPDIR", saved.c_str(), 1);
}

}  // namespace
}  // namespace quillon
