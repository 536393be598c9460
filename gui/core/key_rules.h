#ifndef QUILLON_GUI_CORE_KEY_RULES_H_
#define QUILLON_GUI_CORE_KEY_RULES_H_

namespace quillon::gui {

// The keyboard rules every dialog shares, free of widgets.

enum class DialogKey { kReturn, kEscape, kUp, kDown, kF1, kOther };

struct KeyModifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

enum class KeyAction {
  kOk,             // run the dialog's OK
  kCancel,         // run the dialog's Cancel
  kFocusNext,      // move the focus to the next control in tab order
  kFocusPrevious,  // move the focus to the previous control in tab order
  kMaintenance,    // run the dialog's maintenance action
  kIgnoreF1,       // F1 without all three modifiers: the dialog does nothing with it
  kDefault,        // the toolkit's own handling
};

// What a key press does in a dialog built with `default_control` (Return there runs OK) and
// `cancel_control` (Return there runs Cancel) while the control `focused_control` has the focus.
// Return elsewhere moves on like Tab; Esc cancels; Up and Down move between controls;
// F1 runs the maintenance action only while a Shift, a Ctrl and an Alt key are all held.
KeyAction DecideKey(DialogKey key, KeyModifiers modifiers, int focused_control, int default_control,
                    int cancel_control);

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_KEY_RULES_H_
