#ifndef QUILLON_PLATFORM_POSIX_JOURNAL_EVENT_LOG_H_
#define QUILLON_PLATFORM_POSIX_JOURNAL_EVENT_LOG_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/event_log.h"

namespace quillon {

// The system log on Linux: the systemd journal, through the native protocol of libsystemd
// (the socket /run/systemd/journal/socket). One Report writes one entry with the fields
//   MESSAGE            the record's message text
//   PRIORITY           3 for an error, 4 for a warning, 6 for information
//   SYSLOG_IDENTIFIER  the record's source (TALVEN)
//   MESSAGE_ID         the fixed id of the event identifier (see JournalMessageId)
//   TALVEN_EVENT_ID    "0x400203E8" style
//   TALVEN_EVENT_TYPE  the event type number (1 error, 2 warning, 4 information)
//   TALVEN_STRING1, TALVEN_STRING2  the two insertion strings
// The journal message catalog (talven.catalog) explains each MESSAGE_ID. Stateless and
// thread-safe.
class JournalEventLog : public EventLog {
 public:
  // 0 when the journal accepted the entry; kErrorNotFound when no journal is running (no
  // socket, or nobody listening on it), kErrorAccessDenied when it may not be written, another
  // non-zero status otherwise.
  Status Report(const EventRecord& record) override;

  // The journal fields Report sends for `record`, each "NAME=value" (exposed for tests).
  static std::vector<std::string> Fields(const EventRecord& record);
};

// The 128-bit MESSAGE_ID (32 lower-case hex digits) of an event identifier, nullptr for an
// identifier outside the message table. The ids never change: the catalog and operators'
// journal filters rely on them.
const char* JournalMessageId(uint32_t event_id);

// Every event identifier that has a MESSAGE_ID, in table order.
std::vector<uint32_t> JournalEventIds();

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_JOURNAL_EVENT_LOG_H_
