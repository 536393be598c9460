#ifndef QUILLON_PLATFORM_EVENT_LOG_H_
#define QUILLON_PLATFORM_EVENT_LOG_H_

#include <cstdint>
#include <string>

#include "platform/status.h"

namespace quillon {

// Event types as the system log knows them.
inline constexpr uint16_t kEventTypeError = 1;
inline constexpr uint16_t kEventTypeWarning = 2;
inline constexpr uint16_t kEventTypeInformation = 4;

// One entry for the system log.
struct EventRecord {
  std::string source;     // "TALVEN"
  uint32_t event_id = 0;  // for example 0x400203E8
  uint16_t type = kEventTypeInformation;
  std::string string1;  // the two insertion strings
  std::string string2;
  std::string message;  // the message-table text with the strings inserted, in the language
};

// The system log (the journal on Linux). Thread-safe.
class EventLog {
 public:
  virtual ~EventLog() = default;

  // Writes one entry. 0 when it was handed to the log; otherwise the status of opening the
  // log (the entry is then lost).
  virtual Status Report(const EventRecord& record) = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_EVENT_LOG_H_
