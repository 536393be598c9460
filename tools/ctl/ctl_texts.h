#ifndef QUILLON_TOOLS_CTL_CTL_TEXTS_H_
#define QUILLON_TOOLS_CTL_CTL_TEXTS_H_

namespace quillon::ctl {

// One operator text of quillonctl in both languages.
struct Text {
  const char* japanese;
  const char* english;
  // 0 gives the Japanese text, every other language code the English one.
  const char* In(int language) const { return language == 0 ? japanese : english; }
};

inline constexpr Text kHeadPart = {"部品", "Part"};
inline constexpr Text kHeadCounted = {"計数", "Counted"};
inline constexpr Text kHeadValue = {"稼動/搭載日", "Hours/Setup"};
inline constexpr Text kHeadLife = {"寿命", "Life"};
inline constexpr Text kHeadLead = {"予告", "Lead"};
inline constexpr Text kHeadRemaining = {"残り時間", "Remaining"};
inline constexpr Text kHeadState = {"状態", "State"};
inline constexpr Text kHeadPre = {"予告通知(最終)", "Pre-warning (last)"};
inline constexpr Text kHeadLimit = {"寿命通知(最終)", "Limit notice (last)"};
inline constexpr Text kHeadConfirmed = {"確認済", "Confirmed"};
inline constexpr Text kByHours = {"稼動時間", "hours"};
inline constexpr Text kByDate = {"搭載日", "date"};
inline constexpr Text kNotFitted = {"(未搭載)", "(not fitted)"};
inline constexpr Text kYes = {"はい", "yes"};
inline constexpr Text kNo = {"いいえ", "no"};
inline constexpr Text kServerHours = {"サーバ稼動時間", "Operating hours"};
inline constexpr Text kRunningTime = {"サービス計数時間", "Running time"};
inline constexpr Text kAverage = {"1日平均稼動時間", "Average per day"};
inline constexpr Text kInstallDate = {"インストール日時", "Install date"};
inline constexpr Text kService = {"TALVENサービス", "TALVEN service"};
inline constexpr Text kRunning = {"稼動中", "running"};
inline constexpr Text kNotRunning = {"停止中", "not running"};
inline constexpr Text kStoreUnusable = {"設定ストア %s を読めません。",
                                        "The settings store %s cannot be read."};
inline constexpr Text kForecastHead = {"日付       部品      通知", "Date       Part      Notice"};
inline constexpr Text kForecastPre = {"予告", "pre-warning"};
inline constexpr Text kForecastLimit = {"寿命", "limit"};
inline constexpr Text kForecastReached = {"(到達済)", "(reached)"};
inline constexpr Text kForecastNotified = {"(通知済)", "(notified)"};
inline constexpr Text kForecastSilenced = {"(サポート期間後: 通知なし)",
                                           "(after the support period: no notice)"};
inline constexpr Text kForecastNone = {"%s までに発生する通知はありません。",
                                       "No notice fires by %s."};
inline constexpr Text kUnknownPart = {"部品 %s はありません。", "There is no part %s."};
inline constexpr Text kBadHours = {"稼動時間は 0～99999 で指定してください。",
                                   "Give running hours from 0 to 99999."};
inline constexpr Text kBadDate = {"日付が無効です: %s", "Invalid Date: %s"};
inline constexpr Text kHoursForDatePart = {
    "%s は搭載日で数える部品です (--date を使ってください)。",
    "%s is counted from its setup date (use --date)."};
inline constexpr Text kDateForHourPart = {
    "%s は稼動時間で数える部品です (--hours を使ってください)。",
    "%s is counted in running hours (use --hours)."};
inline constexpr Text kPartDisabled = {"%s は監視されていないため変更できません。",
                                       "%s is not monitored and cannot be changed."};
inline constexpr Text kUnchanged = {"%s は変更されていません。", "%s is unchanged."};
inline constexpr Text kUpdateError = {"データの更新に失敗しました。\nエラーコード [%ld]",
                                      "Update Error.\nError code [%ld]"};
inline constexpr Text kNoAnswer = {
    "TALVENサービスが応答しません (エラーコード [%ld])。値は書き込まれていますが、"
    "サービスはまだ読み込んでいません。",
    "The TALVEN service did not answer (error code [%ld]). The values are written, but the "
    "service has not taken them up."};
inline constexpr Text kSaved = {"%s を保存し、サービスに通知しました。",
                                "%s saved; the service has taken it up."};
inline constexpr Text kConfirmed = {"%s の予告通知の繰り返しを止めました。",
                                    "Repeated pre-warnings of %s are stopped."};
inline constexpr Text kNotConfirmable = {
    "%s は予告期間中でないか、すでに寿命を超えているため確認済にできません。",
    "%s cannot be confirmed: it has had no pre-warning, or it is past its limit."};
inline constexpr Text kTestNoticeText = {
    "Quillon テスト通知です。警告はこのように届きます。\n部品・フラグ・日付は変更されていません。",
    "This is a Quillon test notice. Warnings reach you like this.\nNo part, flag or date has "
    "changed."};
inline constexpr Text kTestScreenOff = {"画面通知は無効です (NotifyMethod DSP が 0)。",
                                        "Screen notices are off (NotifyMethod DSP is 0)."};
inline constexpr Text kTestNoProgram = {"通知プログラムを起動できません。",
                                        "The notification program cannot be started."};
inline constexpr Text kTestScreen = {"テスト通知を画面に送りました。",
                                     "Test notice sent to the screen."};
inline constexpr Text kTestJournal = {"テスト通知をジャーナルに書きました。",
                                      "Test notice written to the journal."};
inline constexpr Text kTestNoJournal = {"ジャーナルに書けません (エラーコード [%ld])。",
                                        "The journal cannot be written (error code [%ld])."};

}  // namespace quillon::ctl

#endif  // QUILLON_TOOLS_CTL_CTL_TEXTS_H_
