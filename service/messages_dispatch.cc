#include "service/messages_dispatch.h"

#include <string>
#include <utility>

#include "common/log/event_report.h"
#include "common/settings/settings.h"
#include "service/messages.h"

namespace quillon {
namespace {

constexpr char kSource[] = "TALVEN";
// TALVENMS gets a moment to put its window up before the next notice may follow.
constexpr uint32_t kMsPauseMs = 500;

}  // namespace

NoticeDispatcher::NoticeDispatcher(Store* store, Clock* clock, EventLog* event_log,
                                   Notifier* notifier, Language language)
    : store_(store),
      clock_(clock),
      event_log_(event_log),
      notifier_(notifier),
      language_(language) {}

bool NoticeDispatcher::ScreenEnabled() {
  // A missing DSP value counts as 0: without a stored choice nothing is put on screen.
  uint32_t method[2] = {0, 0};
  ReadNotifyMethod(store_, method);
  return method[1] != 0;
}

bool NoticeDispatcher::Launch(std::string text, int index, bool with_item) {
  uint32_t startup_pid = 0;
  const bool have_pid = ReadStartUpPid(store_, &startup_pid) == kOk && startup_pid != 0;
  if (!have_pid) {
    const bool started = with_item ? notifier_->LaunchMsItem(std::move(text), index)
                                   : notifier_->LaunchMs(std::move(text));
    clock_->Sleep(kMsPauseMs);
    return started;
  }
  return with_item ? notifier_->LaunchMiItem(std::move(text), index)
                   : notifier_->LaunchMi(std::move(text));
}

NoticeDispatcher::ScreenResult NoticeDispatcher::ScreenText(std::string text, int index) {
  if (!ScreenEnabled()) return ScreenResult::kScreenOff;
  return Launch(std::move(text), index, index >= 0) ? ScreenResult::kStarted
                                                    : ScreenResult::kNotStarted;
}

void NoticeDispatcher::ScreenLimitNotice(int index) {
  if (!ScreenEnabled()) return;
  const MessageKind kind = MessageKindOf(store_, index);
  if (kind == kKindNone) return;
  Launch(FormatLimitText(kind, index, language_, TextForm::kScreen), index, false);
}

void NoticeDispatcher::ScreenPreWarningNotice(int index, int hours) {
  if (!ScreenEnabled()) return;
  const MessageKind kind = MessageKindOf(store_, index);
  if (kind == kKindNone) return;
  Launch(FormatPreWarningText(kind, index, hours, language_, TextForm::kScreen), index, true);
}

void NoticeDispatcher::LimitEvent(int index) {
  const MessageKind kind = MessageKindOf(store_, index);
  if (kind == kKindNone) return;
  const std::string text = FormatLimitText(kind, index, language_, TextForm::kEvent);
  ReportLogEvent(event_log_, language_, text.c_str(), kSource, kEventTypeError,
                 WarningEventId(kind, true), kSource);
}

void NoticeDispatcher::PreWarningEvent(int index, int hours) {
  const MessageKind kind = MessageKindOf(store_, index);
  if (kind == kKindNone) return;
  const std::string text = FormatPreWarningText(kind, index, hours, language_, TextForm::kEvent);
  ReportLogEvent(event_log_, language_, text.c_str(), kSource, kEventTypeError,
                 WarningEventId(kind, false), kSource);
}

}  // namespace quillon
