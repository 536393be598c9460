#include "gui/core/notify_method_presenter.h"

#include "common/settings/settings.h"

namespace quillon::gui {
namespace {

constexpr CaptionRow kCaptions[] = {
    {0, "障害の通知方法設定", "Error notification method setting", "", ""},
    {kLcdCheck, "ＬＣＤへの表示", "Display to LCD",
     "しきい値越えが発生すると、ＬＣＤにしきい値越えを表示します。", ""},
    {kScreenCheck, "画面への表示", "Display to Screen",
     "しきい値越えが発生すると、画面にしきい値越えを表示します。", ""},
    {kOkControl, "OK", "OK", "設定を保存し、メインメニューへ戻ります", ""},
    {kCancelControl, "ｷｬﾝｾﾙ", "CANCEL", "設定を保存しないで、メインメニューへ戻ります", ""},
};

}  // namespace

std::span<const CaptionRow> NotifyMethodCaptions() { return kCaptions; }

void NotifyMethodPresenter::Open() {
  ReadNotifyMethod(store_, flags_);
  flags_[0] = 0;
}

Status NotifyMethodPresenter::Save() { return WriteNotifyMethod(store_, flags_); }

std::string NotifyMethodPresenter::FailureMessage(int language, Status status) {
  return FormatNumbers(Pick(kNotifyMethodFailure, language), {status});
}

}  // namespace quillon::gui
