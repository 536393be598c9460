#include "platform/single_instance.h"

#include <windows.h>

#include <string>

#include "gtest/gtest.h"

namespace quillon {
namespace {

TEST(Win32SingleInstanceTest, OneHolderUntilItGoes) {
  const std::string name = "QuillonTest_UI_" + std::to_string(GetCurrentProcessId());
  {
    SingleInstance first(name);
    ASSERT_EQ(first.Acquire(), kOk);
    EXPECT_TRUE(first.owner());
    EXPECT_EQ(first.path(), name);
    SingleInstance second(name);
    EXPECT_EQ(second.Acquire(), kErrorAlreadyExists);
    EXPECT_FALSE(second.owner());
  }
  SingleInstance after(name);
  EXPECT_EQ(after.Acquire(), kOk);
}

}  // namespace
}  // namespace quillon
