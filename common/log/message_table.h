#ifndef QUILLON_COMMON_LOG_MESSAGE_TABLE_H_
#define QUILLON_COMMON_LOG_MESSAGE_TABLE_H_

#include <cstdint>
#include <span>
#include <string>

namespace quillon {

// One entry of the service's two-language message table. Texts are UTF-8 in the message-file
// notation: %1 and %2 are the insertion strings, %n a forced line break, %0 the end of the
// message; the line breaks written in a text are layout only.
struct MessageTableEntry {
  uint32_t event_id;
  const char* english;   // language 0x409
  const char* japanese;  // language 0x411
};

// All entries, in identifier order.
std::span<const MessageTableEntry> MessageTable();

// The entry of `event_id`, nullptr when the table has none.
const MessageTableEntry* FindMessage(uint32_t event_id);

// The text of a message-table text with its insertion strings put in: %1 and %2 become
// `string1` and `string2` (nullptr counts as empty; inserted strings are not scanned again),
// %n becomes '\n', %0 ends the text, %% %. %! give the character, %t a tab, %b a space, %r a
// carriage return; written line breaks are dropped. Any other %-sequence stays as written.
std::string FormatEventMessage(const char* text, const char* string1, const char* string2);

}  // namespace quillon

#endif  // QUILLON_COMMON_LOG_MESSAGE_TABLE_H_
