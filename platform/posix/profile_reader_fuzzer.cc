// Feeds arbitrary bytes to the profile reader as a whole file and as the names looked up:
// no input may crash it, read out of bounds or yield a text longer than the buffer allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/profile_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first bytes choose the section and key names (up to the first two NUL bytes), so the
  // fuzzer can also hit lookups that match; the whole input is the file.
  const size_t first = input.find('\0');
  const std::string_view section = input.substr(0, first);
  std::string_view key;
  if (first != std::string_view::npos) {
    const size_t second = input.find('\0', first + 1);
    key = input.substr(first + 1, second == std::string_view::npos ? 0 : second - first - 1);
  }
  const std::string_view fixed_names[][2] = {
      {"SUPPORT", "YEARS"}, {"version", "vl"}, {section, key}, {"LIMIT", "RAID_BBU"}};
  for (const auto& names : fixed_names) {
    const auto value = quillon::FindProfileValue(input, names[0], names[1]);
    if (!value) continue;
    if (value->data() < input.data() || value->data() + value->size() > input.data() + size) {
      std::abort();
    }
    (void)quillon::ParseProfileInt(*value);
    for (size_t buffer : {0u, 1u, 2u, 16u, 300u}) {
      const std::string text = quillon::CutProfileText(*value, buffer, true);
      if (buffer == 0 ? !text.empty() : text.size() > buffer - 1) std::abort();
      if (text.find('\0') != std::string::npos) std::abort();
    }
  }
  return 0;
}
