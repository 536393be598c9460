// replaced, confirm and test-notice: the changes quillonctl makes, each with the same writes,
// in the same order, as the component lifetime dialog's save.
#include <cstring>

#include "common/lifetime/operator_date.h"
#include "common/lifetime/part_change.h"
#include "common/lifetime/slot_rules.h"
#include "common/lifetime/stored_dates.h"
#include "common/log/event_report.h"
#include "common/settings/settings.h"
#include "common/wire/pipe_format.h"
#include "platform/date_time.h"
#include "service/messages_dispatch.h"
#include "service/notifier.h"
#include "tools/ctl/ctl_internal.h"
#include "tools/ctl/ctl_texts.h"

namespace quillon::ctl {
namespace {

// Sends the parts-changed request that flags `index` (none when -1) and checks the service's
// "Heared."; the exit status.
int Notify(CtlContext& c, int index, const std::string& done_message) {
  PartsChangedRequest request = NoPartsChanged();
  FlagPartChanged(index, &request);
  std::string reply;
  Status status = c.env.send_parts_changed
                      ? c.env.send_parts_changed(request.data(), request.size(), &reply)
                      : kErrorNotFound;
  if (status == kOk && reply != kPartsChangedReply) status = kErrorInvalidData;
  if (status != kOk) {
    c.err << FormatStatus(kNoAnswer.In(c.language), static_cast<long>(status)) << "\n";
    return kExitService;
  }
  c.out << done_message << "\n";
  return 0;
}

int ReplacedHours(CtlContext& c, int index, int kind, const std::string& text) {
  Store* store = c.env.store;
  LifetimeRecord rec{};
  ReadAllLifetime(store, &rec);
  const char* name = NotifyFlagName(index);
  if (rec.limit[kind] == 0) {
    c.err << Format(kPartDisabled.In(c.language), name) << "\n";
    return kExitCommandLine;
  }
  uint32_t hours = 0;
  if (!ParseRunningHours(text, &hours)) {
    c.err << kBadHours.In(c.language) << "\n";
    return kExitCommandLine;
  }
  if (rec.current[kind] == hours) {
    c.out << Format(kUnchanged.In(c.language), name) << "\n";
    return 0;
  }
  rec.current[kind] = hours;
  uint32_t server_hours = 0;
  ReadServerHours(store, &server_hours);
  WriteSupportStopIfDue(store, kind, rec.limit[kind], hours, server_hours, ReadSupportHours(store));
  uint8_t running_mask[3] = {};
  running_mask[kind] = 1;
  const uint8_t date_mask[17] = {};
  const Status status = WriteReplacedParts(store, rec, running_mask, date_mask);
  if (status != kOk) {
    c.err << FormatStatus(kUpdateError.In(c.language), static_cast<long>(status)) << "\n";
    return kExitStore;
  }
  return Notify(c, index, Format(kSaved.In(c.language), name));
}

int ReplacedDate(CtlContext& c, int index, const std::string* date) {
  Store* store = c.env.store;
  const char* name = NotifyFlagName(index);
  uint32_t raid_count = 0;
  ReadRaidCount(store, &raid_count);
  if (!SlotFitted(index, raid_count)) {
    c.err << Format(kPartDisabled.In(c.language), name) << "\n";
    return kExitCommandLine;
  }
  // The date is read as the dialog's install-date field reads it; its time of day is dropped.
  LocalDateTime setup = FromDayCount(c.now);
  if (date != nullptr && !ParseOperatorDate(*date, &setup)) {
    c.err << Format(kBadDate.In(c.language), *date) << "\n";
    return kExitCommandLine;
  }
  LifetimeRecord rec{};
  ReadAllLifetime(store, &rec);
  const int row = SetupDateRowOfSlot(index);
  char text[kDateTextSize];
  FormatDateText(setup, text, sizeof(text));
  if (std::memcmp(text, rec.setupDate[row], kDateTextSize) == 0) {
    c.out << Format(kUnchanged.In(c.language), name) << "\n";
    return 0;
  }
  std::memcpy(rec.setupDate[row], text, kDateTextSize);
  const uint8_t running_mask[3] = {};
  uint8_t date_mask[17] = {};
  date_mask[row] = 1;
  const Status status = WriteReplacedParts(store, rec, running_mask, date_mask);
  if (status != kOk) {
    c.err << FormatStatus(kUpdateError.In(c.language), static_cast<long>(status)) << "\n";
    return kExitStore;
  }
  return Notify(c, index, Format(kSaved.In(c.language), name));
}

}  // namespace

int Replaced(CtlContext& c, int index, const std::string* hours, const std::string* date) {
  const int kind = CounterKindOfSlot(index);
  if (kind >= 0) {
    if (date != nullptr) {
      c.err << Format(kDateForHourPart.In(c.language), NotifyFlagName(index)) << "\n";
      return kExitCommandLine;
    }
    return ReplacedHours(c, index, kind, hours != nullptr ? *hours : "0");
  }
  if (hours != nullptr) {
    c.err << Format(kHoursForDatePart.In(c.language), NotifyFlagName(index)) << "\n";
    return kExitCommandLine;
  }
  return ReplacedDate(c, index, date);
}

int Confirm(CtlContext& c, int index) {
  Store* store = c.env.store;
  const char* name = NotifyFlagName(index);
  LifetimeRecord rec{};
  ReadAllLifetime(store, &rec);
  uint32_t raid_count = 0;
  ReadRaidCount(store, &raid_count);
  if (!ConfirmOffered(store, rec, index, raid_count)) {
    c.err << Format(kNotConfirmable.In(c.language), name) << "\n";
    return kExitCommandLine;
  }
  uint32_t stored = 0;
  ReadNotifyDonePreStop(store, &stored, index);
  if (stored == 1) {
    c.out << Format(kUnchanged.In(c.language), name) << "\n";
    return 0;
  }
  if (WriteNotifyDonePreStop(store, 1, index) != kOk) {
    c.err << FormatStatus(kUpdateError.In(c.language), 0) << "\n";
    return kExitStore;
  }
  // A confirmation alone flags no part: the request is all "0", as from the dialog.
  return Notify(c, -1, Format(kConfirmed.In(c.language), name));
}

int TestNotice(CtlContext& c, int index) {
  const std::string text = kTestNoticeText.In(c.language);
  const Status logged = ReportLogEvent(
      c.env.event_log, LanguageOf(static_cast<uint32_t>(c.language)), kEventSourceName,
      kEventSourceName, kEventTypeInformation, kEventTestNotice, text.c_str());
  LauncherNotifier notifier(c.env.system, c.env.launcher);
  NoticeDispatcher dispatcher(c.env.store, c.env.clock, c.env.event_log, &notifier,
                              LanguageOf(static_cast<uint32_t>(c.language)));
  // Screen texts travel enclosed in double quotes, as one argument.
  const auto screen = dispatcher.ScreenText("\"" + text + "\"", index);
  // Each channel is reported on its own, so the operator sees which one failed.
  int bits = 0;
  if (screen == NoticeDispatcher::ScreenResult::kStarted) {
    c.out << kTestScreen.In(c.language) << "\n";
  } else if (screen == NoticeDispatcher::ScreenResult::kScreenOff) {
    c.out << kTestScreenOff.In(c.language) << "\n";
  } else {
    c.err << kTestNoProgram.In(c.language) << "\n";
    bits |= kExitService;
  }
  if (logged == kOk) {
    c.out << kTestJournal.In(c.language) << "\n";
  } else {
    c.err << FormatStatus(kTestNoJournal.In(c.language), static_cast<long>(logged)) << "\n";
    bits |= kExitService;
  }
  return bits;
}

}  // namespace quillon::ctl
