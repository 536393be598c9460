#include "gui/core/key_rules.h"

#include <gtest/gtest.h>

namespace quillon::gui {
namespace {

constexpr KeyModifiers kNone{};

TEST(KeyRulesTest, ReturnDependsOnTheFocusedControl) {
  EXPECT_EQ(DecideKey(DialogKey::kReturn, kNone, 1, 1, 2), KeyAction::kOk);
  EXPECT_EQ(DecideKey(DialogKey::kReturn, kNone, 2, 1, 2), KeyAction::kCancel);
  EXPECT_EQ(DecideKey(DialogKey::kReturn, kNone, 1033, 1, 2), KeyAction::kFocusNext);
  // The main menu is built with 0 and 0: Return on "Exit" (1) moves on.
  EXPECT_EQ(DecideKey(DialogKey::kReturn, kNone, 1, 0, 0), KeyAction::kFocusNext);
}

TEST(KeyRulesTest, EscapeAndArrows) {
  EXPECT_EQ(DecideKey(DialogKey::kEscape, kNone, 1033, 1, 2), KeyAction::kCancel);
  EXPECT_EQ(DecideKey(DialogKey::kUp, kNone, 1033, 1, 2), KeyAction::kFocusPrevious);
  EXPECT_EQ(DecideKey(DialogKey::kDown, kNone, 1033, 1, 2), KeyAction::kFocusNext);
  EXPECT_EQ(DecideKey(DialogKey::kOther, kNone, 1033, 1, 2), KeyAction::kDefault);
}

TEST(KeyRulesTest, F1NeedsAllThreeModifiers) {
  EXPECT_EQ(DecideKey(DialogKey::kF1, {true, true, true}, 1, 0, 0), KeyAction::kMaintenance);
  for (KeyModifiers m :
       {KeyModifiers{}, KeyModifiers{true, true, false}, KeyModifiers{true, false, true},
        KeyModifiers{false, true, true}, KeyModifiers{true, false, false}}) {
    EXPECT_EQ(DecideKey(DialogKey::kF1, m, 1, 0, 0), KeyAction::kIgnoreF1);
  }
}

}  // namespace
}  // namespace quillon::gui
