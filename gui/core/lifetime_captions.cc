#include "gui/core/lifetime_captions.h"

#include "gui/core/lifetime_presenter.h"

namespace quillon::gui {
namespace {

constexpr CaptionRow kCaptions[] = {
    {0, "部品寿命情報 参照・設定", "Component life time information Browse/Setting", "", ""},
    {kOkControl, "OK", "OK", "設定を保存し、メインメニューへ戻ります", ""},
    {kCancelControl, "ｷｬﾝｾﾙ", "CANCEL", "設定を保存しないで、メインメニューへ戻ります", ""},
    {kDateHelpButton, "搭載日を今日にする", "Set today to install date",
     "選択されている項目の搭載日を今日の日付にします", ""},
    {kRunningHelpButton, "稼動時間を0にする", "Set 0 to running",
     "選択されている項目の稼動時間を0時間にします", ""},
    {kPsuEnableButton, "電源ユニット監視を有効にする", "Enable to monitor PSU", "", ""},
    {kPsuDisableButton, "電源ユニット監視を無効にする", "Disable to monitor PSU", "", ""},
    {kDateHeadingBase + 0, "部品", "Component", "", ""},
    {kDateHeadingBase + 1, "搭載日", "Install date", "", ""},
    {kDateHeadingBase + 2, "次回交換日", "Next change", "", ""},
    {kDateHeadingBase + 3, "確認済", "Confirmed", "", ""},
    {kRunningHeadingBase + 0, "部品", "Component", "", ""},
    {kRunningHeadingBase + 1, "稼動時間", "Running", "", ""},
    {kRunningHeadingBase + 2, "寿命時間", "Life time", "", ""},
    {kRunningHeadingBase + 3, "確認済", "Confirmed", "", ""},
    {kDateLabelBase + kUpsDateRow, "UPS(バッテリ)", "UPS(BBU)", "", ""},
    {kDateLabelBase + 0, "電池(RAID#01)", "Battery(RAID#01)", "", ""},
    {kDateLabelBase + 1, "電池(RAID#02)", "Battery(RAID#02)", "", ""},
    {kDateLabelBase + 2, "電池(RAID#03)", "Battery(RAID#03)", "", ""},
    {kDateLabelBase + 3, "電池(RAID#04)", "Battery(RAID#04)", "", ""},
    {kDateLabelBase + 4, "電池(RAID#05)", "Battery(RAID#05)", "", ""},
    {kDateLabelBase + 5, "電池(RAID#06)", "Battery(RAID#06)", "", ""},
    {kDateLabelBase + 6, "電池(RAID#07)", "Battery(RAID#07)", "", ""},
    {kDateLabelBase + 7, "電池(RAID#08)", "Battery(RAID#08)", "", ""},
    {kDateLabelBase + 8, "電池(RAID#09)", "Battery(RAID#09)", "", ""},
    {kDateLabelBase + 9, "電池(RAID#10)", "Battery(RAID#10)", "", ""},
    {kDateLabelBase + 10, "電池(RAID#11)", "Battery(RAID#11)", "", ""},
    {kDateLabelBase + 11, "電池(RAID#12)", "Battery(RAID#12)", "", ""},
    {kDateLabelBase + 12, "電池(RAID#13)", "Battery(RAID#13)", "", ""},
    {kDateLabelBase + 13, "電池(RAID#14)", "Battery(RAID#14)", "", ""},
    {kDateLabelBase + 14, "電池(RAID#15)", "Battery(RAID#15)", "", ""},
    {kDateLabelBase + 15, "電池(RAID#16)", "Battery(RAID#16)", "", ""},
    {kRunningLabelBase + kRowCpuFan, "CPU FAN", "CPU FAN", "", ""},
    {kRunningLabelBase + kRowPsu, "電源ユニット", "PSU", "", ""},
    {kRunningLabelBase + kRowCaisFan, "筐体FAN", "Housing FAN", "", ""},
    {kRunningLabelBase + kRowServer, "サーバ稼動時間", "Server Running", "", ""},
};

}  // namespace

std::span<const CaptionRow> LifetimeCaptions() { return kCaptions; }

}  // namespace quillon::gui
