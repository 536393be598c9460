#include "common/log/event_report.h"

#include <cstdio>

#include "common/log/message_table.h"

namespace quillon {

Status ReportLogEvent(EventLog* log, Language language, const char* string1, const char* source,
                      uint16_t type, uint32_t event_id, const char* string2) {
  if (log == nullptr) return kErrorInvalidHandle;
  EventRecord record;
  record.source = source != nullptr ? source : kEventSourceName;
  record.event_id = event_id;
  record.type = type;
  record.string1 = string1 != nullptr ? string1 : "";
  record.string2 = string2 != nullptr ? string2 : "";
  if (const MessageTableEntry* entry = FindMessage(event_id)) {
    record.message = FormatEventMessage(
        language == Language::kJapanese ? entry->japanese : entry->english, string1, string2);
  } else {
    // No table text: still show what was reported rather than an empty entry.
    char head[48];
    std::snprintf(head, sizeof(head), "Event 0x%08X: ", event_id);
    record.message = head + record.string1 + " " + record.string2;
  }
  return log->Report(record);
}

}  // namespace quillon
