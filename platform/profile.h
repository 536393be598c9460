#ifndef QUILLON_PLATFORM_PROFILE_H_
#define QUILLON_PLATFORM_PROFILE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// Reading of profile files (INI files such as TALVENU2.ini).
//
// The file is plain text: a line "[NAME]" opens the section NAME, a line "KEY=VALUE" gives a
// value in the current section, a line whose first non-blank character is ';' is a comment.
// Section and key names match without regard to ASCII case and with blanks around them
// ignored. When a key occurs more than once (also in a repeated section of the same name) the
// first occurrence in the file wins. Line ends may be LF, CRLF or CR; lines may be of any
// length; bytes that make no sense (NUL, binary junk) never make a read fail or crash, they
// only make lines unreadable. Each call reads the file afresh and keeps nothing. Thread-safe.

// Reads an integer: the value's leading decimal number (after blanks and an optional '+').
//   - `default_value` when the file cannot be read, or the section or key is missing;
//   - 0 when the value does not start with a digit ("abc", "", "0x10" gives 0);
//   - 0 for a negative number: every integer of the profile counts hours, days, years or a
//     flag, and a negative count would otherwise wrap to a huge unsigned value;
//   - 4294967295 for a number too large for 32 bits.
uint32_t ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                        uint32_t default_value);

// Reads a text into a caller's buffer of `buffer_size` bytes (as a C text, so at most
// buffer_size - 1 bytes of text). Returns the value with blanks around it removed and one
// pair of matching enclosing quotes ('...' or "...") taken off; `default_value` when the file,
// section or key is missing (cut to the buffer like a read value). The text ends at a NUL byte in
// the value, and a text that must be cut is cut at a character boundary of UTF-8 so no half
// character remains. buffer_size 0 gives an empty text.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view default_value,
                              size_t buffer_size);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_PROFILE_H_
