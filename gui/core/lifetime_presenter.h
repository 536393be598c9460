#ifndef QUILLON_GUI_CORE_LIFETIME_PRESENTER_H_
#define QUILLON_GUI_CORE_LIFETIME_PRESENTER_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "common/lifetime/slot_rules.h"
#include "common/settings/schema.h"
#include "common/wire/pipe_format.h"
#include "gui/core/captions.h"
#include "gui/core/prompter.h"
#include "platform/status.h"
#include "platform/store.h"

namespace quillon::gui {

// Rows of the running group. The first three are PartKind 0-2; the server field keeps its
// hours in the record's sixth running-hours slot.
inline constexpr int kRowCpuFan = 0;
inline constexpr int kRowPsu = 1;
inline constexpr int kRowCaisFan = 2;
inline constexpr int kRowServer = 3;
inline constexpr int kRunningRows = 4;
inline constexpr int kPartRows = 3;  // the rows with a part, a life and a "Confirmed" box
inline constexpr int kServerSlot = 5;

// The 17 install-date rows in record order: 0-15 RAID01-RAID16, 16 UPS.
inline constexpr int kDateRows = 17;
inline constexpr int kUpsDateRow = 16;

// The field limit of the server field and the bounds of the running numbers.
inline constexpr int32_t kServerFieldLimit = 2147483647;
inline constexpr uint32_t kMaxRunningHours = kCounterCap;
inline constexpr uint32_t kMaxServerHours = 9999999;

// Sends one parts-changed request of `size` bytes to the service and waits for its reply.
// 0 when the service replied.
using PartsChangedSender = std::function<Status(const char* request, size_t size)>;

// The real sender: one call of the pipe ORNAPartsChange (common/wire/pipe_client.h) without a
// time limit, the reply ignored. 0 on success; the pipe call's status otherwise.
Status SendPartsChangedOverPipe(const char* request, size_t size);

// The PSU monitoring values that live for the whole GUI run, shared by every opening of the
// dialog. The application object owns them and passes them to each opening.
struct PsuProgramState {
  uint32_t psu_check = 0;    // PsuCheck as read at the last opening or changed by the toggle
  uint32_t psu_monitor = 0;  // PsuMonitor, likewise
  bool toggled = false;      // set by either toggle answered Yes; never cleared
};

// Which PSU toggle the dialog shows.
enum class PsuToggle { kNone, kEnable, kDisable };

// The operator texts of the dialog's messages.
inline constexpr TextPair kSaveQuestion = {
    "搭載日、稼動時間 または 確認済チェックボックスが変更されています。\n\n"
    "変更を保存してよろしいですか？",
    "Set up date, running or contact is changed.\n\n Do you want to update data?"};
inline constexpr TextPair kOverLimitInfo = {"寿命を越えている部品があります。",
                                            "There is over limit parts."};
inline constexpr TextPair kUpdateError = {"データの更新に失敗しました。\nエラーコード [%ld]",
                                          "Update Error.\nError code [%ld]"};
inline constexpr TextPair kServiceBusy = {"TALVENサービスがビジーです。\nしばらくお待ちください。",
                                          "TALVEN Service is Busy.\nPlease wait a while."};
inline constexpr TextPair kEnablePsuQuestion = {"電源ユニットの寿命監視を有効にしますか？",
                                                "Do you want to enable to monitor PSU?"};
inline constexpr TextPair kDisablePsuQuestion = {"電源ユニットの寿命監視を無効にしますか？",
                                                 "Do you want to disable to monitor PSU?"};

// What the form holds when OK is pressed, after its fields passed validation. The presenter
// clears alert marks in it as saving decides; the dialog then shows them.
struct LifetimeForm {
  // Validated numbers of the running rows and the server field (by kRow*); a row whose life
  // limit is 0 is not validated and its number is not used.
  std::array<uint32_t, kRunningRows> running{};
  std::array<bool, kRunningRows> running_alert{};
  // Each install-date field's own text, and its alert mark.
  std::array<std::string, kDateRows> dates;
  std::array<bool, kDateRows> date_alert{};
  // The "Confirmed" boxes by NotifyIndex: true when ticked.
  std::array<bool, kNotifyCount> confirmed{};
};

// The component lifetime dialog without widgets: what it shows at opening, the PSU toggle and
// the whole of saving. The store, prompter and PSU state are not owned and must outlive the
// presenter. GUI thread only.
class LifetimePresenter {
 public:
  LifetimePresenter(Store* store, Prompter* prompter, PsuProgramState* psu,
                    PartsChangedSender sender, int language);

  // The opening: reads the server hours, the PSU values, the whole lifetime record, the RAID
  // count and every row's flags, and decides what each row shows. A failed read leaves 0 (an
  // empty text for a date) and is not reported. Ends with the snapshot of the record.
  void Open();

  int language() const { return language_; }
  uint32_t server_hours() const { return server_hours_; }
  uint32_t raid_count() const { return raid_count_; }
  const LifetimeRecord& record() const { return rec_; }
  const LifetimeRecord& snapshot() const { return snap_; }
  const PsuProgramState& psu() const { return *psu_; }

  // Running row `row` (kRow*): the life limit (0: not monitored), whether its field, label and
  // "Life time" display are enabled, the "Life time" text (empty when the limit is 0) and the
  // field's text (the running hours; empty when the row is disabled; the server hours for the
  // server field). The field limit is LifeLimit, or kServerFieldLimit for the server.
  uint32_t LifeLimit(int row) const;
  int32_t FieldLimit(int row) const;
  bool RunningEnabled(int row) const;
  std::string LifeText(int row) const;
  std::string RunningText(int row) const;
  // The alert mark of a running field at opening (its number has reached its field limit).
  bool RunningAlertAtOpening(int row) const;

  // Install-date row `row` (0-15 RAID01-16, 16 UPS): enabled when its RAID number is at most
  // the RAID count (the UPS row always); its life in hours; its stored text.
  bool DateEnabled(int row) const;
  int32_t DateLife(int row) const;
  std::string DateText(int row) const;

  // The "Confirmed" box of NotifyIndex `index`: enabled and ticked at opening.
  bool ConfirmEnabled(int index) const { return confirm_enabled_[index]; }
  bool ConfirmTicked(int index) const { return confirm_ticked_[index]; }

  PsuToggle toggle() const { return toggle_; }

  // The PSU toggle pressed: asks the matching question; on Yes changes the PSU row as the
  // toggle says (nothing is written) and returns true; on No returns false, nothing changed.
  bool TogglePsu();

  // The PSU row's running hours as the last TogglePsu left them.
  uint32_t PsuRunningHours() const { return rec_.current[kPsu]; }

  enum class SaveResult {
    kClose,     // nothing changed, or everything was saved and the service replied
    kStayOpen,  // the operator said No, a write failed or the service did not reply
  };
  // OK after validation: decides which rows changed, writes CurrentStop and the
  // acknowledgements at once, asks the question and on Yes writes the changed values and
  // sends the request. `form` gives the fields' values; alert marks that saving clears are
  // cleared in it.
  SaveResult Save(LifetimeForm* form);

  // The request the last Save built (also when it was not sent).
  const PartsChangedRequest& last_request() const { return request_; }

 private:
  Store* store_;
  Prompter* prompter_;
  PsuProgramState* psu_;
  PartsChangedSender sender_;
  int language_;

  uint32_t server_hours_ = 0;
  uint32_t raid_count_ = 0;
  LifetimeRecord rec_{};
  LifetimeRecord snap_{};
  std::array<bool, kNotifyCount> confirm_enabled_{};
  std::array<bool, kNotifyCount> confirm_ticked_{};
  PsuToggle toggle_ = PsuToggle::kNone;
  PartsChangedRequest request_ = NoPartsChanged();
};

// NotifyIndex of running row `row` (kRowCpuFan..kRowCaisFan) and of install-date row `row`.
int RunningNotifyIndex(int row);
inline int DateNotifyIndex(int row) { return row == kUpsDateRow ? kNotifyUps : row + 1; }

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_LIFETIME_PRESENTER_H_
