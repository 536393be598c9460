#include "gui/core/captions.h"

namespace quillon::gui {

const char* Pick(const TextPair& pair, int language) {
  return language == kJapanese ? pair.ja : pair.en;
}

const CaptionRow* FindCaption(std::span<const CaptionRow> table, int control) {
  for (const CaptionRow& row : table) {
    if (row.control == control) return &row;
  }
  return nullptr;
}

std::string CaptionText(const CaptionRow& row, int language, unsigned long argument) {
  return FormatNumbers(Pick(TextPair{row.ja, row.en}, language), {argument});
}

std::string CaptionTip(const CaptionRow& row, int language) {
  const char* tip = Pick(TextPair{row.tip_ja, row.tip_en}, language);
  return tip == nullptr ? std::string() : std::string(tip);
}

std::string FormatNumbers(std::string_view format, std::initializer_list<unsigned long> values) {
  std::string out;
  out.reserve(format.size() + 16);
  const unsigned long* next = values.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    const std::string_view rest = format.substr(i);
    if (next != values.end() && (rest.starts_with("%lu") || rest.starts_with("%ld"))) {
      out += std::to_string(*next++);
      i += 2;
      continue;
    }
    out += format[i];
  }
  return out;
}

}  // namespace quillon::gui
