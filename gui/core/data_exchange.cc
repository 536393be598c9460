#include "gui/core/data_exchange.h"

#include "common/lifetime/operator_date.h"
#include "common/lifetime/part_change.h"

namespace quillon::gui {

std::string RangeMessage(int language, uint32_t lower, uint32_t upper) {
  return FormatNumbers(Pick(kRangeMessage, language), {lower, upper});
}

std::string InvalidDateMessage(int language) { return Pick(kInvalidDateMessage, language); }

std::string LoadDigits(uint32_t value) { return std::to_string(value); }

bool SaveDigits(std::string_view text, uint32_t lower, uint32_t upper, uint32_t* value) {
  return ParseDigits(text, lower, upper, value);
}

bool SaveDateText(std::string_view text, std::string* value) {
  if (text.empty()) {
    *value = "1899/12/30";
    return true;
  }
  LocalDateTime t;
  if (!ParseOperatorDate(text, &t)) return false;
  *value = FormatDate(t);
  return true;
}

}  // namespace quillon::gui
