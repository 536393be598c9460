// replaced, confirm and test-notice: the changes quillonctl makes, each with the same writes,
// in the same order, as the component lifetime dialog's save.
#include <cstring>

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

// Digits only, 0 to 99999, as the dialog's running fields accept.
bool ParseHours(const std::string& text, uint32_t* hours) {
  if (text.empty() || text.size() > 5) return false;
  uint32_t value = 0;
  for (const char ch : text) {
    if (ch < '0' || ch > '9') return false;
    value = value * 10 + static_cast<uint32_t>(ch - '0');
  }
  if (value > kCounterCap) return false;
  *hours = value;
  return true;
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
  if (!ParseHours(text, &hours)) {
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
  // The support-period rule: a part reset to 0 whose new life would end only after the
  // support period gets no notices at all, written before the new counter, as the dialog does.
  uint32_t support_years = 0;
  ReadSupportLimit(store, &support_years);
  if (hours == 0 &&
      EndsAfterSupport(rec.limit[kind], 0, server_hours, SupportPeriodHours(support_years))) {
    WriteCurrentStop(store, 1, kind);
  }
  uint8_t running_mask[3] = {};
  running_mask[kind] = 1;
  const uint8_t date_mask[17] = {};
  const Status status = WriteSelectedCurrent(store, rec, running_mask) |
                        WriteSelectedSetupDates(store, rec, date_mask);
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
  double day = c.now;
  if (date != nullptr && !ParseDateText(date->c_str(), date->size() + 1, &day)) {
    c.err << Format(kBadDate.In(c.language), *date) << "\n";
    return kExitCommandLine;
  }
  LifetimeRecord rec{};
  ReadAllLifetime(store, &rec);
  const int row = index == kNotifyUps ? 16 : index - 1;
  char text[kDateTextSize];
  FormatDateText(FromDayCount(day), text, sizeof(text));
  if (std::memcmp(text, rec.setupDate[row], kDateTextSize) == 0) {
    c.out << Format(kUnchanged.In(c.language), name) << "\n";
    return 0;
  }
  std::memcpy(rec.setupDate[row], text, kDateTextSize);
  const uint8_t running_mask[3] = {};
  uint8_t date_mask[17] = {};
  date_mask[row] = 1;
  const Status status = WriteSelectedCurrent(store, rec, running_mask) |
                        WriteSelectedSetupDates(store, rec, date_mask);
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
  uint32_t done = 0, pre = 0;
  char date[kDateTextSize] = {};
  ReadNotifyDone(store, &done, date, index);
  ReadNotifyDonePre(store, &pre, date, index);
  // The dialog offers the box only for a part with a pre-warning and no limit notice, that
  // is monitored (hour-counted: limit not 0 and no support stop; date-counted: fitted).
  bool offered = pre != 0 && done == 0;
  const int kind = CounterKindOfSlot(index);
  if (kind >= 0) {
    uint32_t limit = 0, stop = 0;
    ReadLimit(store, &limit, kind);
    ReadCurrentStop(store, &stop, kind);
    offered = offered && limit != 0 && stop == 0;
  } else {
    uint32_t raid_count = 0;
    ReadRaidCount(store, &raid_count);
    offered = offered && SlotFitted(index, raid_count);
  }
  if (!offered) {
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
