#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    dir_ = temp_.path();
    const char* old = getenv("XDG_RUNTIME_DIR");
    if (old != nullptr) old_ = old;
    had_old_ = old != nullptr;
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (had_old_) {
      setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }
  TempDir temp_{"single_instance_test"};
  std::string dir_;
  std::string old_;
  bool had_old_ = false;
};

TEST_F(SingleInstanceTest, SecondClaimFailsUntilFirstIsReleased) {
  auto first = std::make_unique<SingleInstance>("TalvenUI_EXE");
  EXPECT_EQ(first->path(), dir_ + "/TalvenUI_EXE");
  ASSERT_EQ(first->Acquire(), kOk);
  EXPECT_TRUE(first->owner());
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/TalvenUI_EXE"));

  SingleInstance second("TalvenUI_EXE");
  EXPECT_EQ(second.Acquire(), kErrorAlreadyExists);
  EXPECT_FALSE(second.owner());

  // The lock file left behind by the first holder does not block a later one.
  first.reset();
  EXPECT_EQ(second.Acquire(), kOk);
  EXPECT_TRUE(second.owner());
}

TEST_F(SingleInstanceTest, OtherNamesAreIndependent) {
  SingleInstance a("TalvenUI_EXE");
  SingleInstance b("Other");
  EXPECT_EQ(a.Acquire(), kOk);
  EXPECT_EQ(b.Acquire(), kOk);
}

TEST_F(SingleInstanceTest, UnusableDirectoryIsReported) {
  setenv("XDG_RUNTIME_DIR", (dir_ + "/missing").c_str(), 1);
  SingleInstance a("TalvenUI_EXE");
  EXPECT_EQ(a.Acquire(), kErrorNotFound);
  EXPECT_FALSE(a.owner());
}

}  // namespace
}  // namespace quillon
