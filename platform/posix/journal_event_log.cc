#include "platform/posix/journal_event_log.h"

#include <sys/uio.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace quillon {
namespace {

constexpr char kJournalSocket[] = "/run/systemd/journal/socket";

struct MessageIdEntry {
  uint32_t event_id;
  const char* message_id;
};

// Generated once; must match the entries of common/log/talven.catalog.
constexpr MessageIdEntry kMessageIds[] = {
    {0x400203E8, "204d265cfab64a3a89b5e86776a659f9"},
    {0x400203E9, "2dd17bac5fe94f3489c14c7f4e49f7c8"},
    {0x400203EA, "8c2e8aa2c7e64b75b318d5048b838c03"},
    {0x400203EB, "7c2bd528042240d48c42902d66c47e91"},
    {0x400203EC, "95a15cb09c4d48c5a72ff6590768e451"},
    {0x400203ED, "38a736cc17ed4c0891df3b9e0384a9c7"},
    {0xC00004B0, "1bee45a5c50a405fa128d7b69a14c202"},
    {0xC00004B1, "72c3a78aa8ec41c39de466ad86a780ab"},
    {0xC00004B2, "dd603606bec943fea5b3178cf3ab9060"},
    {0xC00004B3, "69bd2df3b9694c6ea14b267ef65cf85b"},
    {0xC00004B4, "43f6173f66904278890bcddb57fb34f7"},
    {0xC00004B5, "97c9896283eb4afb8381dd7d2407e536"},
    {0xC00004B6, "76a3213618cd46f1a98995ec62f46bff"},
    {0xC00004B7, "a8ddcfce9e624b769d88bcf3558270b2"},
    {0xC00004B8, "e599a10772a9427b8760071bda7012ff"},
};

const char* Priority(uint16_t type) {
  switch (type) {
    case kEventTypeError:
      return "3";
    case kEventTypeWarning:
      return "4";
    default:
      return "6";
  }
}

}  // namespace

const char* JournalMessageId(uint32_t event_id) {
  for (const MessageIdEntry& entry : kMessageIds) {
    if (entry.event_id == event_id) return entry.message_id;
  }
  return nullptr;
}

std::vector<uint32_t> JournalEventIds() {
  std::vector<uint32_t> ids;
  for (const MessageIdEntry& entry : kMessageIds) ids.push_back(entry.event_id);
  return ids;
}

std::vector<std::string> JournalEventLog::Fields(const EventRecord& record) {
  char event_id[16];
  std::snprintf(event_id, sizeof(event_id), "0x%08X", record.event_id);
  std::vector<std::string> fields = {
      "MESSAGE=" + record.message,
      std::string("PRIORITY=") + Priority(record.type),
      "SYSLOG_IDENTIFIER=" + (record.source.empty() ? std::string("TALVEN") : record.source),
  };
  if (const char* id = JournalMessageId(record.event_id)) {
    fields.push_back(std::string("MESSAGE_ID=") + id);
  }
  fields.push_back(std::string("TALVEN_EVENT_ID=") + event_id);
  fields.push_back("TALVEN_EVENT_TYPE=" + std::to_string(record.type));
  fields.push_back("TALVEN_STRING1=" + record.string1);
  fields.push_back("TALVEN_STRING2=" + record.string2);
  return fields;
}

Status JournalEventLog::Report(const EventRecord& record) {
  // libsystemd drops an entry silently (and reports success) when the journal's socket does
  // not exist; a lost event must show as a failure here.
  if (access(kJournalSocket, F_OK) != 0) return kErrorNotFound;
  // The vector form passes every field as raw bytes: texts with '%' or line breaks arrive
  // unchanged, which the printf-style form would not guarantee.
  std::vector<std::string> fields = Fields(record);
  std::vector<iovec> iov;
  iov.reserve(fields.size());
  for (std::string& field : fields) iov.push_back({field.data(), field.size()});
  int r = sd_journal_sendv(iov.data(), static_cast<int>(iov.size()));
  if (r >= 0) return kOk;
  switch (-r) {
    case ENOENT:
    case ECONNREFUSED:
      return kErrorNotFound;
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case ENOMEM:
    case ENOBUFS:
      return kErrorNotEnoughMemory;
    default:
      return kErrorWriteFault;
  }
}

}  // namespace quillon
