#ifndef QUILLON_GUI_WIDGETS_FIELD_OWNER_H_
#define QUILLON_GUI_WIDGETS_FIELD_OWNER_H_

#include "gui/core/field_logic.h"

class QString;
class QWidget;

namespace quillon {
class Clock;
}

namespace quillon::gui {

class ColourEdit;

enum class FieldKind { kInstallDate, kRunningHours };

// What a dialog that owns install-date and running-hours fields provides to them. The fields
// also emit ColourEdit::helpButtonChanged whenever they show or hide a help button; the owner
// connects it to update its hint text. The owner is the BaseDialog the fields live in (its
// destructor detaches the fields before Qt moves the focus during the window's teardown); an
// owner of another kind must call SetOwner(nullptr) on its fields in its own destructor.
// GUI thread only.
class FieldOwner {
 public:
  virtual ~FieldOwner() = default;

  // The help button `button` (kDateHelpButton or kRunningHelpButton), or nullptr.
  virtual QWidget* HelpButton(int button) = 0;
  // True when `widget` is one of the owner's fields of `kind`.
  virtual bool IsOwnField(const QWidget* widget, FieldKind kind) = 0;
  // Makes `field` the active field (nullptr: none).
  virtual void SetActiveField(ColourEdit* field) = 0;
  // Sets the text of the owner's control `control` (a field's own text, a partner display).
  virtual void SetFieldText(int control, const QString& text) = 0;
  // The clock that gives "now" for the install-date fields' alert marks.
  virtual Clock* FieldClock() = 0;
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_WIDGETS_FIELD_OWNER_H_
