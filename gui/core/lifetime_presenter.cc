#include "gui/core/lifetime_presenter.h"

#include <algorithm>
#include <cstring>

#include "common/lifetime/part_change.h"
#include "common/lifetime/slot_rules.h"
#include "common/settings/settings.h"
#include "common/wire/pipe_client.h"
#include "platform/event.h"

namespace quillon::gui {
namespace {

// The PSU snapshot value after a toggle: the row then counts as changed unless the operator
// happens to save exactly this number.
constexpr uint32_t kPsuToggledSnapshot = 100000;

}  // namespace

Status SendPartsChangedOverPipe(const char* request, size_t size) {
  return SendPartsChanged(request, size, kWaitInfinite, nullptr);
}

int RunningNotifyIndex(int row) {
  switch (row) {
    case kRowCpuFan:
      return kNotifyCpuFan;
    case kRowPsu:
      return kNotifyPsu;
    default:
      return kNotifyCaisFan;
  }
}

LifetimePresenter::LifetimePresenter(Store* store, Prompter* prompter, PsuProgramState* psu,
                                     PartsChangedSender sender, int language)
    : store_(store),
      prompter_(prompter),
      psu_(psu),
      sender_(std::move(sender)),
      language_(language) {}

void LifetimePresenter::Open() {
  server_hours_ = 0;
  ReadServerHours(store_, &server_hours_);

  // A failed read keeps what the last opening (or the toggle) left in the program-wide values.
  ReadPsuCheck(store_, &psu_->psu_check);
  ReadPsuMonitor(store_, &psu_->psu_monitor);
  if (psu_->psu_check == 0) {
    toggle_ = PsuToggle::kNone;
  } else {
    toggle_ = psu_->psu_monitor == 0 ? PsuToggle::kEnable : PsuToggle::kDisable;
  }

  rec_ = LifetimeRecord{};
  ReadAllLifetime(store_, &rec_);

  raid_count_ = 0;
  ReadRaidCount(store_, &raid_count_);
  for (int index = 0; index < kNotifyCount; ++index)
    confirm_enabled_[index] = ConfirmOffered(store_, rec_, index, raid_count_);
  for (int index = 0; index < kNotifyCount; ++index) {
    uint32_t stop = 0;
    ReadNotifyDonePreStop(store_, &stop, index);
    confirm_ticked_[index] = stop != 0;
  }

  rec_.current[kServerSlot] = server_hours_;
  snap_ = rec_;
}

uint32_t LifetimePresenter::LifeLimit(int row) const {
  return row == kRowServer ? 0 : rec_.limit[row];
}

int32_t LifetimePresenter::FieldLimit(int row) const {
  return row == kRowServer ? kServerFieldLimit : static_cast<int32_t>(rec_.limit[row]);
}

bool LifetimePresenter::RunningEnabled(int row) const {
  return row == kRowServer || rec_.limit[row] != 0;
}

std::string LifetimePresenter::LifeText(int row) const {
  const uint32_t limit = LifeLimit(row);
  return limit == 0 ? std::string() : std::to_string(limit);
}

std::string LifetimePresenter::RunningText(int row) const {
  if (row == kRowServer) return std::to_string(rec_.current[kServerSlot]);
  return rec_.limit[row] == 0 ? std::string() : std::to_string(rec_.current[row]);
}

bool LifetimePresenter::RunningAlertAtOpening(int row) const {
  if (!RunningEnabled(row)) return false;
  const uint32_t hours = row == kRowServer ? rec_.current[kServerSlot] : rec_.current[row];
  return static_cast<int32_t>(hours) >= FieldLimit(row);
}

bool LifetimePresenter::DateEnabled(int row) const {
  return SlotFitted(DateNotifyIndex(row), raid_count_);
}

int32_t LifetimePresenter::DateLife(int row) const {
  return static_cast<int32_t>(row == kUpsDateRow ? rec_.limit[kUps] : rec_.raidLimit[row]);
}

std::string LifetimePresenter::DateText(int row) const {
  return std::string(rec_.setupDate[row], strnlen(rec_.setupDate[row], kDateTextSize));
}

bool LifetimePresenter::TogglePsu() {
  if (toggle_ == PsuToggle::kEnable) {
    if (!prompter_->AskYesNo(kAppName, Pick(kEnablePsuQuestion, language_))) return false;
    psu_->toggled = true;
    psu_->psu_monitor = 1;
    if (psu_->psu_check == 1) psu_->psu_check = 2;
    ReadLimit(store_, &rec_.limit[kPsu], kPsuS);
    const uint32_t limit = rec_.limit[kPsu];
    // The PSU has run as long as the server, less one life if it has already passed one.
    rec_.current[kPsu] = server_hours_ > limit ? server_hours_ - limit : server_hours_;
    snap_.current[kPsu] = kPsuToggledSnapshot;
    toggle_ = PsuToggle::kDisable;
    return true;
  }
  if (toggle_ == PsuToggle::kDisable) {
    if (!prompter_->AskYesNo(kAppName, Pick(kDisablePsuQuestion, language_))) return false;
    psu_->toggled = true;
    psu_->psu_monitor = 0;
    rec_.limit[kPsu] = 0;
    rec_.current[kPsu] = 0;
    confirm_enabled_[kNotifyPsu] = false;
    confirm_ticked_[kNotifyPsu] = false;
    toggle_ = PsuToggle::kEnable;
    return true;
  }
  return false;
}

LifetimePresenter::SaveResult LifetimePresenter::Save(LifetimeForm* form) {
  request_ = NoPartsChanged();

  // Running rows and the server field.
  uint8_t running_mask[kPartRows] = {};
  bool running_changed = false;
  const bool psu_toggled = psu_->psu_check != 0 && psu_->toggled;
  for (int row = 0; row < kPartRows; ++row) {
    bool changed;
    if (rec_.limit[row] == 0) {
      form->running_alert[row] = false;
      changed = row == kRowPsu && psu_toggled;
    } else {
      rec_.current[row] = form->running[row];
      changed = rec_.current[row] != snap_.current[row];
    }
    running_mask[row] = changed ? 1 : 0;
    running_changed |= changed;
    if (changed) FlagPartChanged(RunningNotifyIndex(row), &request_);
  }
  form->running_alert[kRowServer] = false;
  rec_.current[kServerSlot] = form->running[kRowServer];
  const bool server_changed = rec_.current[kServerSlot] != snap_.current[kServerSlot];
  running_changed |= server_changed;

  const int64_t support_hours = ReadSupportHours(store_);
  bool running_over = false;
  for (int row = 0; row < kPartRows; ++row) {
    if (running_mask[row] != 0 &&
        WriteSupportStopIfDue(store_, row, rec_.limit[row], rec_.current[row], server_hours_,
                              support_hours)) {
      form->running_alert[row] = false;
    }
    running_over |= form->running_alert[row];
  }

  // Install dates: the field's own text is what is saved, so an empty field stays empty.
  uint8_t date_mask[kDateRows] = {};
  bool date_changed = false;
  bool date_over = false;
  for (int row = 0; row < kDateRows; ++row) {
    char* slot = rec_.setupDate[row];
    std::memset(slot, 0, kDateTextSize);
    const std::string& text = form->dates[row];
    std::memcpy(slot, text.data(), std::min(text.size(), kDateTextSize - 1));
    const bool changed = std::memcmp(slot, snap_.setupDate[row], kDateTextSize) != 0;
    date_mask[row] = changed ? 1 : 0;
    date_changed |= changed;
    date_over |= form->date_alert[row];
    if (changed) FlagPartChanged(DateNotifyIndex(row), &request_);
  }

  // Acknowledgements are written at once, before the question.
  bool confirmed_changed = false;
  for (int index = 0; index < kNotifyCount; ++index) {
    uint32_t stored = 0;
    ReadNotifyDonePreStop(store_, &stored, index);
    const uint32_t box = form->confirmed[index] ? 1 : 0;
    if (stored != box) {
      WriteNotifyDonePreStop(store_, box, index);
      confirmed_changed = true;
    }
  }

  if (!date_changed && !running_changed && !confirmed_changed) return SaveResult::kClose;
  if (!prompter_->AskYesNo(kAppName, Pick(kSaveQuestion, language_))) {
    return SaveResult::kStayOpen;
  }
  if (date_over || running_over)
    prompter_->ShowInformation(kAppName, Pick(kOverLimitInfo, language_));
  if (server_changed) WriteServerHours(store_, rec_.current[kServerSlot]);
  if (psu_toggled) {
    WriteLimit(store_, rec_.limit[kPsu], kPsu);
    WritePsuMonitor(store_, psu_->psu_monitor);
    WritePsuCheck(store_, psu_->psu_check);
  }
  const Status status = WriteReplacedParts(store_, rec_, running_mask, date_mask);
  if (status != kOk) {
    prompter_->ShowError(kAppName, FormatNumbers(Pick(kUpdateError, language_), {status}));
    return SaveResult::kStayOpen;
  }
  if (sender_(request_.data(), request_.size()) != kOk) {
    prompter_->ShowError(kAppName, Pick(kServiceBusy, language_));
    return SaveResult::kStayOpen;
  }
  return SaveResult::kClose;
}

}  // namespace quillon::gui
