#ifndef QUILLON_GUI_CORE_LIFETIME_CAPTIONS_H_
#define QUILLON_GUI_CORE_LIFETIME_CAPTIONS_H_

#include <span>

#include "gui/core/captions.h"
#include "gui/core/field_logic.h"

namespace quillon::gui {

// Control identifiers of the component lifetime dialog. OK and CANCEL are kOkControl and
// kCancelControl, the two editing-help buttons kDateHelpButton and kRunningHelpButton.
// Install-date rows are numbered in record order (0-15 RAID01-RAID16, 16 UPS), running rows
// by kRow* of lifetime_presenter.h.
inline constexpr int kDateLabelBase = 1200;
inline constexpr int kDateFieldBase = 1220;
inline constexpr int kNextChangeBase = 1240;
inline constexpr int kDateConfirmBase = 1260;
inline constexpr int kRunningLabelBase = 1300;
inline constexpr int kRunningFieldBase = 1310;
inline constexpr int kLifeTimeBase = 1320;
inline constexpr int kRunningConfirmBase = 1330;
// Column headings: component, install date, next change, confirmed; then component,
// running, life time, confirmed.
inline constexpr int kDateHeadingBase = 1400;
inline constexpr int kRunningHeadingBase = 1404;
inline constexpr int kHintText = 1500;
inline constexpr int kPsuEnableButton = 1501;
inline constexpr int kPsuDisableButton = 1502;

// The dialog's caption table (row 0: the window title).
std::span<const CaptionRow> LifetimeCaptions();

// The hint shown while an editing-help button is shown.
inline constexpr TextPair kDateHint = {
    "搭載日は\n「搭載日を今日にする」ボタンまたはキーボードからの入力で変更できます",
    "Change Setup date by the[Set today to install date] button or the key board"};
inline constexpr TextPair kRunningHint = {
    "稼動時間は\n「稼動時間を0にする」ボタンまたはキーボードからの入力で変更できます",
    "Change running by the[Set 0 to running] button or the key board"};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_LIFETIME_CAPTIONS_H_
