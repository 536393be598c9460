#ifndef QUILLON_PLATFORM_WIN32_WIN32_EVENT_LOG_H_
#define QUILLON_PLATFORM_WIN32_WIN32_EVENT_LOG_H_

#include "platform/event_log.h"

namespace quillon {

// The system log on Windows: the event log. Each Report opens the record's source
// (RegisterEventSourceW), reports one event with the record's identifier and type, category
// 0, no user and no data, and the two insertion strings (UTF-16), and closes the source. The
// viewer takes the text from the message file registered for the source (TALVENSV.exe's
// message table), so the record's ready-made message is not sent. Stateless and thread-safe.
class Win32EventLog : public EventLog {
 public:
  // 0 when the source was opened and the event handed over (the outcome of the report itself
  // is not checked: an event log that refuses an event has nobody to tell); otherwise the
  // system's error number of opening the source, and nothing is reported.
  Status Report(const EventRecord& record) override;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_WIN32_EVENT_LOG_H_
