#include "common/kori/kori_members.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(KoriMemberNameTest, NamesAndRange) {
  EXPECT_STREQ(KoriMemberName(0), "VCRequest");
  EXPECT_STREQ(KoriMemberName(4), "ServerControlVersion");
  EXPECT_EQ(KoriMemberName(5), nullptr);
  EXPECT_EQ(KoriMemberName(-1), nullptr);
}

}  // namespace
}  // namespace quillon
