#include "common/lifetime/operator_date.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(DateTextTest, ParseKeepsTheTimeOfDay) {
  LocalDateTime t;
  ASSERT_TRUE(ParseOperatorDate("2009/02/03 07:08:09", &t));
  EXPECT_EQ(t.year, 2009);
  EXPECT_EQ(t.month, 2);
  EXPECT_EQ(t.day, 3);
  EXPECT_EQ(t.hour, 7);
  EXPECT_EQ(t.minute, 8);
  EXPECT_EQ(t.second, 9);
  EXPECT_EQ(FormatDate(t), "2009/02/03");
}

}  // namespace
}  // namespace quillon
