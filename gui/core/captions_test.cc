#include "gui/core/captions.h"

#include <gtest/gtest.h>

#include "gui/core/main_menu_presenter.h"
#include "gui/core/notify_method_presenter.h"

namespace quillon::gui {
namespace {

TEST(CaptionsTest, RowsAreChosenByControlAndTextsByLanguage) {
  const auto table = MainMenuCaptions();
  const CaptionRow* title = FindCaption(table, 0);
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(CaptionText(*title, kEnglish, kNoArgument), "Quillon Main menu");
  EXPECT_EQ(CaptionText(*title, kJapanese, kNoArgument), "Quillon メインメニュー");

  const CaptionRow* exit = FindCaption(table, kExitControl);
  ASSERT_NE(exit, nullptr);
  EXPECT_EQ(CaptionText(*exit, kJapanese, kNoArgument), "終了");
  EXPECT_EQ(CaptionTip(*exit, kJapanese), "終了します");
  EXPECT_EQ(CaptionTip(*exit, kEnglish), "");  // English tool tips are empty throughout

  EXPECT_EQ(FindCaption(table, 4711), nullptr);
}

TEST(CaptionsTest, HoursLineTakesTheArgument) {
  const CaptionRow* hours = FindCaption(MainMenuCaptions(), kHoursControl);
  ASSERT_NE(hours, nullptr);
  EXPECT_EQ(CaptionText(*hours, kEnglish, 12345), "Server Running= 12345 Hour(s)");
  EXPECT_EQ(CaptionText(*hours, kJapanese, 0), "サーバ稼動時間＝ 0 時間");
}

TEST(CaptionsTest, LanguageOutsideZeroAndOneShowsEnglish) {
  const CaptionRow* ok = FindCaption(NotifyMethodCaptions(), kCancelControl);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(CaptionText(*ok, 7, kNoArgument), "CANCEL");
  EXPECT_EQ(CaptionText(*ok, kJapanese, kNoArgument), "ｷｬﾝｾﾙ");
}

TEST(CaptionsTest, FormatNumbersReplacesPlaceholdersInOrderAndNothingElse) {
  EXPECT_EQ(FormatNumbers("Enter %lu to %lu.", {0, 99999}), "Enter 0 to 99999.");
  EXPECT_EQ(FormatNumbers("code [%ld]", {5}), "code [5]");
  EXPECT_EQ(FormatNumbers("100%% %s %d %lu", {}), "100% %s %d %lu");
  EXPECT_EQ(FormatNumbers("%lu %lu", {1}), "1 %lu");
  EXPECT_EQ(FormatNumbers("ends with %", {1}), "ends with %");
  EXPECT_EQ(FormatNumbers("%l", {1}), "%l");
}

}  // namespace
}  // namespace quillon::gui
