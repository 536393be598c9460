#ifndef QUILLON_GUI_CORE_DATA_EXCHANGE_H_
#define QUILLON_GUI_CORE_DATA_EXCHANGE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "gui/core/captions.h"

namespace quillon::gui {

// The checks behind the dialogs' data exchange, free of widgets. A dialog loads a variable
// into a control with the Load* form and saves the control's text with the Save* form; a
// failed save leaves the variable untouched and the dialog shows the matching message.

// The two shared messages.
inline constexpr TextPair kRangeMessage = {"%lu～%luを入力してください。", "Enter %lu to %lu."};
inline constexpr TextPair kInvalidDateMessage = {"日付が無効です。", "Invalid Date."};

// "Enter <lower> to <upper>." in `language`.
std::string RangeMessage(int language, uint32_t lower, uint32_t upper);
// "Invalid Date." in `language`.
std::string InvalidDateMessage(int language);

// Check box: the saved flag is 1 for any checked state, else 0.
inline uint32_t SaveCheckBox(bool checked) { return checked ? 1u : 0u; }
inline bool LoadCheckBox(uint32_t flag) { return flag != 0; }

// Digits-only number. Load shows the value in decimal. Save is ParseDigits
// (common/lifetime/part_change.h): true and *value set when the text is not empty, holds only
// the digits 0-9 and its value lies in lower..upper.
std::string LoadDigits(uint32_t value);
bool SaveDigits(std::string_view text, uint32_t lower, uint32_t upper, uint32_t* value);

// Date text (16-byte buffers). Load shows the stored text unchanged. Save: an empty text
// stores the zero date "1899/12/30"; a text that reads as a date (ParseDateText) is stored as
// "%Y/%m/%d"; anything else fails. Returns true and sets *value on success.
bool SaveDateText(std::string_view text, std::string* value);

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_DATA_EXCHANGE_H_
