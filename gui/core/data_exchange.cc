#include "gui/core/data_exchange.h"

#include "gui/core/date_text.h"

namespace quillon::gui {

std::string RangeMessage(int language, uint32_t lower, uint32_t upper) {
  return FormatNumbers(Pick(kRangeMessage, language), {lower, upper});
}

std::string InvalidDateMessage(int language) { return Pick(kInvalidDateMessage, language); }

std::string LoadDigits(uint32_t value) { return std::to_string(value); }

bool SaveDigits(std::string_view text, uint32_t lower, uint32_t upper, uint32_t* value) {
  if (text.empty()) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
    // Stop before the 64-bit sum could wrap: anything this large is out of every range.
    if (v > UINT32_MAX) return false;
  }
  if (v < lower || v > upper) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

bool SaveDateText(std::string_view text, std::string* value) {
  if (text.empty()) {
    *value = "1899/12/30";
    return true;
  }
  LocalDateTime t;
  if (!ParseDateText(text, &t)) return false;
  *value = FormatDate(t);
  return true;
}

}  // namespace quillon::gui
