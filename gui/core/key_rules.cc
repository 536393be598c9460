#include "gui/core/key_rules.h"

namespace quillon::gui {

KeyAction DecideKey(DialogKey key, KeyModifiers modifiers, int focused_control, int default_control,
                    int cancel_control) {
  switch (key) {
    case DialogKey::kReturn:
      if (focused_control == default_control) return KeyAction::kOk;
      if (focused_control == cancel_control) return KeyAction::kCancel;
      return KeyAction::kFocusNext;
    case DialogKey::kEscape:
      return KeyAction::kCancel;
    case DialogKey::kUp:
      return KeyAction::kFocusPrevious;
    case DialogKey::kDown:
      return KeyAction::kFocusNext;
    case DialogKey::kF1:
      if (modifiers.shift && modifiers.ctrl && modifiers.alt) return KeyAction::kMaintenance;
      return KeyAction::kIgnoreF1;
    case DialogKey::kOther:
      break;
  }
  return KeyAction::kDefault;
}

}  // namespace quillon::gui
