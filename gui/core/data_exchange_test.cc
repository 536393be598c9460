#include "gui/core/data_exchange.h"

#include <gtest/gtest.h>

namespace quillon::gui {
namespace {

TEST(DigitsTest, RangeMessageShowsTheBoundsInTheLanguage) {
  EXPECT_EQ(RangeMessage(kEnglish, 0, 99999), "Enter 0 to 99999.");
  EXPECT_EQ(RangeMessage(kJapanese, 0, 99999), "0～99999を入力してください。");
  EXPECT_EQ(LoadDigits(30000), "30000");
}

TEST(DateTextTest, SavesEmptyAsZeroDateAndDatesInTheStoredForm) {
  std::string v;
  EXPECT_TRUE(SaveDateText("", &v));
  EXPECT_EQ(v, "1899/12/30");
  EXPECT_TRUE(SaveDateText("2009/2/3", &v));
  EXPECT_EQ(v, "2009/02/03");
  EXPECT_TRUE(SaveDateText("2008/04/01", &v));
  EXPECT_EQ(v, "2008/04/01");
  EXPECT_TRUE(SaveDateText(" 2010-12-31 23:59:59 ", &v));
  EXPECT_EQ(v, "2010/12/31");
  EXPECT_TRUE(SaveDateText("2024.2.29 8:05", &v));
  EXPECT_EQ(v, "2024/02/29");
}

TEST(DateTextTest, RejectsWhatIsNotADate) {
  std::string v = "untouched";
  for (const char* bad :
       {"abc", "2009/13/01", "2009/02/29", "2009/2", "2009/2/3x", "2009-2/3", "20090203", "99/1/1",
        "2009/02/03 25:00", "2009/02/03 1:2", "10000/1/1", " ", "2009//3"}) {
    EXPECT_FALSE(SaveDateText(bad, &v)) << bad;
  }
  EXPECT_EQ(v, "untouched");
  EXPECT_EQ(InvalidDateMessage(kEnglish), "Invalid Date.");
  EXPECT_EQ(InvalidDateMessage(kJapanese), "日付が無効です。");
}

}  // namespace
}  // namespace quillon::gui
