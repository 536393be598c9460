#include "platform/profile_reader.h"

#include "platform/profile.h"

namespace quillon {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string_view Unquote(std::string_view s) {
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
    return s.substr(1, s.size() - 2);
  }
  return s;
}

}  // namespace

std::optional<std::string_view> FindProfileValue(std::string_view text, std::string_view section,
                                                 std::string_view key) {
  const std::string_view wanted_section = Trim(section);
  const std::string_view wanted_key = Trim(key);
  // A file saved by an editor may start with a UTF-8 byte-order mark; it is not part of the
  // first line's text.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  bool in_section = false;  // lines before the first section header belong to no section
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      // "[NAME]"; anything after the bracket is ignored, and a header without its closing
      // bracket names the rest of the line.
      std::string_view name = line.substr(1);
      const size_t close = name.find(']');
      if (close != std::string_view::npos) name = name.substr(0, close);
      in_section = EqualsIgnoringCase(Trim(name), wanted_section);
      continue;
    }
    if (!in_section) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    if (EqualsIgnoringCase(Trim(line.substr(0, eq)), wanted_key)) {
      return Trim(line.substr(eq + 1));
    }
  }
  return std::nullopt;
}

uint32_t ParseProfileInt(std::string_view value) {
  value = Trim(Unquote(Trim(value)));
  bool negative = false;
  if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  uint64_t number = 0;
  bool saturated = false;
  for (char c : value) {
    if (c < '0' || c > '9') break;
    if (!saturated) {
      number = number * 10 + static_cast<uint64_t>(c - '0');
      if (number > UINT32_MAX) saturated = true;
    }
  }
  if (negative) return 0;
  return saturated ? UINT32_MAX : static_cast<uint32_t>(number);
}

std::string CutProfileText(std::string_view value, size_t buffer_size, bool unquote) {
  if (buffer_size == 0) return std::string();
  if (unquote) value = Unquote(value);
  const size_t nul = value.find('\0');
  if (nul != std::string_view::npos) value = value.substr(0, nul);
  size_t n = value.size();
  if (n > buffer_size - 1) {
    n = buffer_size - 1;
    // Step back over at most three continuation bytes to the lead byte of the character that
    // does not fit; a longer run is not UTF-8, and a plain byte cut is as good as any there.
    auto continuation = [&](size_t i) {
      return (static_cast<unsigned char>(value[i]) & 0xC0) == 0x80;
    };
    size_t back = n;
    while (back > 0 && n - back < 3 && continuation(back)) --back;
    if (!continuation(back)) n = back;
  }
  return std::string(value.substr(0, n));
}

uint32_t ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                        uint32_t default_value) {
  std::string text;
  if (!ReadWholeFile(path, &text)) return default_value;
  const std::optional<std::string_view> value = FindProfileValue(text, section, key);
  return value ? ParseProfileInt(*value) : default_value;
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view default_value,
                              size_t buffer_size) {
  std::string text;
  if (ReadWholeFile(path, &text)) {
    const std::optional<std::string_view> value = FindProfileValue(text, section, key);
    if (value) return CutProfileText(*value, buffer_size, /*unquote=*/true);
  }
  return CutProfileText(default_value, buffer_size, /*unquote=*/false);
}

}  // namespace quillon
