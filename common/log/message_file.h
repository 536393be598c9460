#ifndef QUILLON_COMMON_LOG_MESSAGE_FILE_H_
#define QUILLON_COMMON_LOG_MESSAGE_FILE_H_

#include <string>

namespace quillon {

// The message-compiler source (.mc) of the service's message table, made from MessageTable():
// both languages (English 0x409, Japanese 0x411) in UTF-8, each entry with the severity,
// facility and code of its identifier and its text line by line. Lines end with CR LF, as the
// compiler keeps them in the stored texts, which then equal the table's texts exactly.
// The Windows build compiles the checked-in copy, common/log/talven_messages.mc, which a unit
// test keeps equal to this text. Thread-safe.
std::string MessageFileText();

}  // namespace quillon

#endif  // QUILLON_COMMON_LOG_MESSAGE_FILE_H_
