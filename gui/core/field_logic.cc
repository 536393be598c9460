#include "gui/core/field_logic.h"

#include "common/lifetime/operator_date.h"
#include "common/lifetime/slot_rules.h"
#include "platform/date_time.h"

namespace quillon::gui {

FieldColour PickFieldColour(std::string_view text, std::string_view reference, bool alert) {
  if (alert) return FieldColour::kAlert;
  if (text != reference) return FieldColour::kChanged;
  return FieldColour::kDefault;
}

int32_t LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > INT32_MAX) {
      // Clamp instead of wrapping: a huge number must still count as over the limit.
      return negative ? INT32_MIN : INT32_MAX;
    }
  }
  return static_cast<int32_t>(negative ? -v : v);
}

DateRecompute RecomputeInstallDate(std::string_view text, int32_t life_hours,
                                   const LocalDateTime& now, bool previous_alert) {
  DateRecompute r;
  r.partner_text = kNoNextChange;
  r.alert = previous_alert;
  if (text.empty()) {
    r.alert = false;
    return r;
  }
  LocalDateTime date;
  if (!ParseOperatorDate(text, &date)) return r;
  date.hour = date.minute = date.second = date.millisecond = 0;
  r.is_date = true;
  r.own_text = FormatDate(date);
  const double next = NextChangeDay(ToDayCount(date), life_hours);
  r.partner_text = FormatDate(FromDayCount(next));
  r.alert = next < ToDayCount(now);
  return r;
}

}  // namespace quillon::gui
