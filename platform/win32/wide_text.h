#ifndef QUILLON_PLATFORM_WIN32_WIDE_TEXT_H_
#define QUILLON_PLATFORM_WIN32_WIDE_TEXT_H_

#include <string>
#include <string_view>

namespace quillon {

// The system's texts are UTF-8; the wide ("W") Windows calls take UTF-16. Every text crosses
// between the two here, so Japanese texts survive whatever the machine's code page is.

// UTF-8 to UTF-16, the whole view including any zero bytes in it (a multi-string keeps its
// separators). A byte that is not valid UTF-8 becomes U+FFFD. Thread-safe.
std::wstring Widen(std::string_view utf8);

// UTF-16 to UTF-8, the whole view including any zero characters. An unpaired surrogate
// becomes U+FFFD. Thread-safe.
std::string Narrow(std::wstring_view utf16);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_WIDE_TEXT_H_
