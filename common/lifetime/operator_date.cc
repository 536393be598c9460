#include "common/lifetime/operator_date.h"

#include <cstdio>

#include "platform/date_time.h"

namespace quillon {
namespace {

// A small cursor over the text; every read checks the end, so any input is safe.
struct Cursor {
  std::string_view text;
  size_t pos = 0;

  bool AtEnd() const { return pos >= text.size(); }
  void SkipBlanks() {
    while (!AtEnd() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  }
  // Reads min_digits..max_digits decimal digits.
  bool Number(int min_digits, int max_digits, int* value) {
    int n = 0;
    int v = 0;
    while (!AtEnd() && n < max_digits && text[pos] >= '0' && text[pos] <= '9') {
      v = v * 10 + (text[pos] - '0');
      ++pos;
      ++n;
    }
    if (n < min_digits) return false;
    // More digits than allowed is not a date part.
    if (!AtEnd() && text[pos] >= '0' && text[pos] <= '9') return false;
    *value = v;
    return true;
  }
  bool Take(char c) {
    if (AtEnd() || text[pos] != c) return false;
    ++pos;
    return true;
  }
};

bool IsDateSeparator(char c) { return c == '/' || c == '-' || c == '.'; }

}  // namespace

bool ParseOperatorDate(std::string_view text, LocalDateTime* out) {
  Cursor c{text};
  LocalDateTime t;
  c.SkipBlanks();
  if (!c.Number(3, 4, &t.year)) return false;
  if (c.AtEnd() || !IsDateSeparator(text[c.pos])) return false;
  const char separator = text[c.pos++];
  if (!c.Number(1, 2, &t.month)) return false;
  if (!c.Take(separator)) return false;
  if (!c.Number(1, 2, &t.day)) return false;
  if (!IsValidDate(t.year, t.month, t.day)) return false;
  c.SkipBlanks();
  if (!c.AtEnd()) {
    if (!c.Number(1, 2, &t.hour) || !c.Take(':') || !c.Number(2, 2, &t.minute)) return false;
    if (c.Take(':') && !c.Number(2, 2, &t.second)) return false;
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return false;
    c.SkipBlanks();
    if (!c.AtEnd()) return false;
  }
  *out = t;
  return true;
}

std::string FormatDate(const LocalDateTime& t) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d", t.year, t.month, t.day);
  return buffer;
}

}  // namespace quillon
