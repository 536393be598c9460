#ifndef QUILLON_PLATFORM_PROFILE_READER_H_
#define QUILLON_PLATFORM_PROFILE_READER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The pieces of the profile-file reader behind platform/profile.h, kept apart from the file
// access so that they can be tested and fuzzed on any bytes. All are pure functions.

// Finds the raw value of `key` in `section` of the profile text `text` under the rules of
// platform/profile.h: the first match in the file wins. Returns the value with blanks around
// it removed (quotes still on), or nullopt when the section or key does not occur. The result
// points into `text`.
std::optional<std::string_view> FindProfileValue(std::string_view text, std::string_view section,
                                                 std::string_view key);

// The integer rule of ReadProfileInt applied to a found value.
uint32_t ParseProfileInt(std::string_view value);

// The text rule of ReadProfileString applied to a found value (or to the default): enclosing
// quotes off (when `unquote`), cut at a NUL byte, cut to `buffer_size` - 1 bytes at a UTF-8
// character boundary.
std::string CutProfileText(std::string_view value, size_t buffer_size, bool unquote);

// Reads a whole file into `*contents`. false when it cannot be opened or read (a directory,
// a missing file, no permission); `*contents` is then empty. The one piece with OS calls,
// defined by each backend.
bool ReadWholeFile(const std::string& path, std::string* contents);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_PROFILE_READER_H_
