#ifndef QUILLON_COMMON_LOG_EVENT_REPORT_H_
#define QUILLON_COMMON_LOG_EVENT_REPORT_H_

#include <cstdint>

#include "common/settings/language.h"
#include "platform/clock.h"
#include "platform/event_log.h"
#include "platform/status.h"
#include "platform/store.h"
#include "platform/system_info.h"

namespace quillon {

// Event identifiers of the message table (bits 31-30 severity, 29 customer, 27-16 facility,
// 15-0 code).
inline constexpr uint32_t kEventServiceStart = 0x400203E8;
inline constexpr uint32_t kEventInstalled = 0x400203E9;
inline constexpr uint32_t kEventSuspended = 0x400203EA;
inline constexpr uint32_t kEventUninstalled = 0x400203EB;
inline constexpr uint32_t kEventStatus = 0x400203EC;
inline constexpr uint32_t kEventTestNotice = 0x400203ED;  // quillonctl test-notice
inline constexpr uint32_t kEventError = 0xC00004B0;
inline constexpr uint32_t kEventGetLifeTime = 0xC00004B1;
inline constexpr uint32_t kEventImp = 0xC00004B2;
inline constexpr uint32_t kEventPreWarning = 0xC00004B3;
inline constexpr uint32_t kEventLimit = 0xC00004B4;
inline constexpr uint32_t kEventRaidPreWarning = 0xC00004B5;
inline constexpr uint32_t kEventRaidLimit = 0xC00004B6;
inline constexpr uint32_t kEventStoreUnusable = 0xC00004B7;     // %2: path and cause
inline constexpr uint32_t kEventStoreWriteFailed = 0xC00004B8;  // %2: value, status, cause

// The event source of the service and the keys of its registration.
inline constexpr char kEventSourceName[] = "TALVEN";
inline constexpr char kEventLogSystemKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\System";

// Reports one event to `log` (not owned). The message is the message-table text of
// `event_id` in `language` with `string1` and `string2`
// inserted (nullptr counts as empty); an identifier outside the table gets a plain text naming
// it and both strings. `type` is kEventTypeInformation, kEventTypeWarning or kEventTypeError.
// Returns the log's status: 0 when the entry was handed over, non-zero when the log could not
// be opened (the entry is then lost; callers may ignore it). Thread-safe.
Status ReportLogEvent(EventLog* log, Language language, const char* string1, const char* source,
                      uint16_t type, uint32_t event_id, const char* string2);

// Registers `source` as an event source in the store: below kEventLogSystemKey\<source>
// TypesSupported = 7 (DWORD) and EventMessageFile = the program's full path (expandable text,
// with its zero), and adds `source` to the multi-string list Sources of kEventLogSystemKey
// unless it is already there (exact match; a list that cannot be parsed is left alone; a
// missing list is created holding just `source`). Pauses 100 ms through `clock` before it
// scans the list. Returns 0 on success, 120 at once without writing anything when `system`
// reports a non-NT platform (high bit of the version word), the first failing store status
// otherwise (kErrorNotFound when the program path is unknown). No pointer is owned.
Status RegisterLogSource(Store* store, SystemInfo* system, Clock* clock, const char* source);

}  // namespace quillon

#endif  // QUILLON_COMMON_LOG_EVENT_REPORT_H_
