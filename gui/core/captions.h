#ifndef QUILLON_GUI_CORE_CAPTIONS_H_
#define QUILLON_GUI_CORE_CAPTIONS_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace quillon::gui {

// Language index of every operator text: 0 Japanese, 1 English.
inline constexpr int kJapanese = 0;
inline constexpr int kEnglish = 1;

// The argument callers pass to a caption whose text has no placeholder.
inline constexpr unsigned long kNoArgument = static_cast<unsigned long>(-1);

// The OK and CANCEL buttons of every dialog opened from the main menu.
inline constexpr int kOkControl = 1;
inline constexpr int kCancelControl = 2;

// Control identifier that never matches a caption row (a control without a name of its own).
inline constexpr int kNoControl = -1;

// One operator text in both languages (UTF-8).
struct TextPair {
  const char* ja;
  const char* en;
};

// One row of a dialog's caption table. Row 0 of a table holds the window title (control 0).
// Texts are format texts with at most one "%lu"; tool tips are plain.
struct CaptionRow {
  int control;
  const char* ja;
  const char* en;
  const char* tip_ja;
  const char* tip_en;
};

// The text of `pair` in `language`. Any language other than 0 selects English, so a stored
// value out of range still shows readable texts.
const char* Pick(const TextPair& pair, int language);

// The first row of `table` for `control`, or nullptr when there is none.
const CaptionRow* FindCaption(std::span<const CaptionRow> table, int control);

// The row's text in `language` with `argument` in place of its "%lu" (a text without a
// placeholder is returned as it is; "%%" becomes "%").
std::string CaptionText(const CaptionRow& row, int language, unsigned long argument);

// The row's tool tip in `language` (empty when there is none).
std::string CaptionTip(const CaptionRow& row, int language);

// Replaces each "%lu" or "%ld" of `format`, left to right, by the next of `values` written in
// decimal (unsigned); "%%" becomes "%". Missing values leave the rest of the placeholders as
// written. Never reads beyond `format`: safe for any text.
std::string FormatNumbers(std::string_view format, std::initializer_list<unsigned long> values);

// The application's name, the caption of every message box except the validation messages.
inline constexpr char kAppName[] = "TALVENUI";

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_CAPTIONS_H_
