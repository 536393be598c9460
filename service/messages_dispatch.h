#ifndef QUILLON_SERVICE_MESSAGES_DISPATCH_H_
#define QUILLON_SERVICE_MESSAGES_DISPATCH_H_

#include <cstdint>

#include "common/settings/language.h"
#include "platform/clock.h"
#include "platform/event_log.h"
#include "platform/store.h"
#include "service/notifier.h"

namespace quillon {

// Delivers the warnings of the lifetime check: on screen through the notification programs
// and to the system log. Every operation does nothing for a NotifyIndex without a message
// kind (outside 0 to 19). Failures of a launch or of an event report are ignored. The
// pointers are not owned and must outlive the dispatcher. Used from the check thread only.
class NoticeDispatcher {
 public:
  NoticeDispatcher(Store* store, Clock* clock, EventLog* event_log, Notifier* notifier,
                   Language language);

  // Screen notices. Nothing is shown when NotifyMethod DSP is 0 or unreadable. The program is
  // TALVENMS, followed by a 500 ms pause, when StartUpPID is 0 or unreadable; otherwise
  // TALVENMI without a pause. A limit notice passes the text only; a pre-warning passes the
  // text and the NotifyIndex.
  void ScreenLimitNotice(int index);
  void ScreenPreWarningNotice(int index, int hours);

  // A screen notice of the operator's own `text` (quillonctl test-notice), through the same
  // program the warnings use; `index` < 0 passes the text only, otherwise the text and the
  // NotifyIndex. kScreenOff when DSP is 0 or unreadable; kNotStarted when the program could
  // not be started.
  enum class ScreenResult { kStarted, kScreenOff, kNotStarted };
  ScreenResult ScreenText(std::string text, int index);

  // Event-log entries (type error, strings: the text and "TALVEN"), for first notices only.
  void LimitEvent(int index);
  void PreWarningEvent(int index, int hours);

 private:
  bool ScreenEnabled();
  bool Launch(std::string text, int index, bool with_item);

  Store* store_;
  Clock* clock_;
  EventLog* event_log_;
  Notifier* notifier_;
  Language language_;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_MESSAGES_DISPATCH_H_
