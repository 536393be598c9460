#include "gui/core/main_menu_presenter.h"

#include "common/settings/settings.h"

namespace quillon::gui {
namespace {

constexpr CaptionRow kCaptions[] = {
    {0, "Quillon メインメニュー", "Quillon Main menu", "", ""},
    {kLifetimeCommand, "部品寿命情報 参照・設定", "Component lifetime information Browse/Setting",
     "部品寿命情報 参照・設定画面を開きます", ""},
    {kExitControl, "終了", "Exit", "終了します", ""},
    {kNotifyMethodCommand, "障害の通知方法設定", "Error notification method setting",
     "障害の通知方法設定画面を開きます", ""},
    {kHoursControl, "サーバ稼動時間＝ %lu 時間", "Server Running= %lu Hour(s)", "", ""},
};

}  // namespace

std::span<const CaptionRow> MainMenuCaptions() { return kCaptions; }

void MainMenuPresenter::Open() {
  ReadLanguage(store_, system_, &language_);
  server_hours_ = 0;
  ReadServerHours(store_, &server_hours_);
}

void MainMenuPresenter::RefreshHours() { ReadServerHours(store_, &server_hours_); }

std::string MainMenuPresenter::HoursText() const {
  return CaptionText(*FindCaption(kCaptions, kHoursControl), language(), server_hours_);
}

}  // namespace quillon::gui
