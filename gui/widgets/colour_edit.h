#ifndef QUILLON_GUI_WIDGETS_COLOUR_EDIT_H_
#define QUILLON_GUI_WIDGETS_COLOUR_EDIT_H_

#include <QColor>
#include <QLineEdit>
#include <QPalette>
#include <cstdint>

#include "gui/core/field_logic.h"
#include "gui/widgets/field_owner.h"

namespace quillon::gui {

// A single-line edit field that marks itself: changed colours while its text differs from its
// reference text, alert colours while its alert mark is set (the alert wins), the toolkit's
// colours otherwise. GUI thread only.
class ColourEdit : public QLineEdit {
  Q_OBJECT

 public:
  ColourEdit(QColor alert_text, QColor alert_background, QColor changed_text,
             QColor changed_background, int control, QWidget* parent = nullptr);

  int control() const { return control_; }
  const QString& reference_text() const { return reference_; }
  // The text against which the field counts as changed.
  void SetReferenceText(const QString& text);
  bool alert() const { return alert_; }
  // Sets the alert mark and repaints.
  void SetAlert(bool alert);
  // The colours the field shows now.
  FieldColour colour() const { return colour_; }
  // The owner that provides the help buttons and the active-field slot (not owned; may be null).
  void SetOwner(FieldOwner* owner) { owner_ = owner; }
  FieldOwner* owner() const { return owner_; }

 signals:
  // A help button (kDateHelpButton or kRunningHelpButton) was shown (true) or hidden (false).
  // NOLINTNEXTLINE(readability-identifier-naming): Qt names its signals in camelCase.
  void helpButtonChanged(int button, bool shown);

 protected:
  // The help-button rule on losing the focus: the field keeps `button` when the focus went to
  // one of the owner's fields of `kind` or to the button itself; otherwise there is no active
  // field any more. The button is shown or hidden accordingly and helpButtonChanged emitted.
  void UpdateHelpButtonOnFocusOut(int button, FieldKind kind);
  // On getting the focus: show `button`, emit helpButtonChanged, become the active field.
  void ShowHelpButtonOnFocusIn(int button);

 private:
  void UpdateColours();

  QColor alert_text_;
  QColor alert_background_;
  QColor changed_text_;
  QColor changed_background_;
  int control_;
  QString reference_;
  bool alert_ = false;
  FieldColour colour_ = FieldColour::kDefault;
  FieldOwner* owner_ = nullptr;
};

// A field of running hours: on losing the focus its alert mark is set when its number has
// reached its limit.
class RunningHoursEdit : public ColourEdit {
  Q_OBJECT

 public:
  RunningHoursEdit(QColor alert_text, QColor alert_background, QColor changed_text,
                   QColor changed_background, int control, int32_t limit,
                   QWidget* parent = nullptr);

  int32_t limit() const { return limit_; }
  void set_limit(int32_t limit) { limit_ = limit; }

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int32_t limit_;
};

// A field of install dates: it shows the next change date (install date + life) in its
// partner display, and its alert mark says that date has passed.
class InstallDateEdit : public ColourEdit {
  Q_OBJECT

 public:
  InstallDateEdit(QColor alert_text, QColor alert_background, QColor changed_text,
                  QColor changed_background, int control, int partner, int32_t life_hours,
                  QWidget* parent = nullptr);

  int partner() const { return partner_; }
  int32_t life_hours() const { return life_hours_; }
  void set_life_hours(int32_t hours) { life_hours_ = hours; }

  // Recomputes the partner text and the alert mark from the field's text (see
  // RecomputeInstallDate); with `rewrite` a date text is also rewritten as "%Y/%m/%d". Texts
  // are set through the owner; without an owner only the field itself changes, and "now" is
  // the system's local time.
  void Recompute(bool rewrite);

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int partner_;
  int32_t life_hours_;
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_WIDGETS_COLOUR_EDIT_H_
