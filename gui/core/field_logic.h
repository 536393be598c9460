#ifndef QUILLON_GUI_CORE_FIELD_LOGIC_H_
#define QUILLON_GUI_CORE_FIELD_LOGIC_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace quillon::gui {

// The decisions of the colour-marking edit fields, free of widgets.

// Identifiers of the two editing-help buttons an owner of colour-marking fields provides.
inline constexpr int kDateHelpButton = 3;     // "Set today to install date"
inline constexpr int kRunningHelpButton = 4;  // "Set 0 to running"

enum class FieldColour {
  kDefault,  // the toolkit's own colours
  kChanged,  // the text differs from the reference text
  kAlert,    // the part is over its limit; wins over kChanged
};

// The colours a field shows for its current text, reference text and alert mark.
FieldColour PickFieldColour(std::string_view text, std::string_view reference, bool alert);

// The leading decimal number of a text as a signed 32-bit value: optional blanks, an optional
// sign, then digits; 0 when there are none. Values beyond the 32-bit range are clamped to it.
int32_t LeadingNumber(std::string_view text);

// Alert mark of a running-hours field when it loses the focus: its number has reached the
// limit (signed comparison).
inline bool RunningHoursAlert(std::string_view text, int32_t limit) {
  return LeadingNumber(text) >= limit;
}

// The ten blanks an install-date field's partner shows when there is no next change date.
inline constexpr char kNoNextChange[] = "          ";

// The result of recomputing an install-date field.
struct DateRecompute {
  bool is_date = false;      // the text reads as a date
  std::string own_text;      // is_date: the date as "%Y/%m/%d" (the field's rewritten text)
  std::string partner_text;  // the next change date as "%Y/%m/%d", or kNoNextChange
  bool alert = false;        // the new alert mark
};

// Recomputes an install-date field with text `text`, life `life_hours` and the current local
// time `now`. Empty text: no next change, alert cleared. A date: next change = date (its time
// of day dropped) + life_hours; alert = next change lies before `now`. Any other text: no next
// change, the alert stays `previous_alert`.
DateRecompute RecomputeInstallDate(std::string_view text, int32_t life_hours,
                                   const LocalDateTime& now, bool previous_alert);

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_FIELD_LOGIC_H_
