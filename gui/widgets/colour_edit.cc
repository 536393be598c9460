#include "gui/widgets/colour_edit.h"

#include <QApplication>
#include <QDateTime>

#include "platform/clock.h"

namespace quillon::gui {
namespace {

LocalDateTime SystemNow() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return LocalDateTime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()};
}

}  // namespace

ColourEdit::ColourEdit(QColor alert_text, QColor alert_background, QColor changed_text,
                       QColor changed_background, int control, QWidget* parent)
    : QLineEdit(parent),
      alert_text_(alert_text),
      alert_background_(alert_background),
      changed_text_(changed_text),
      changed_background_(changed_background),
      control_(control) {
  connect(this, &QLineEdit::textChanged, this, [this] { UpdateColours(); });
  UpdateColours();
}

void ColourEdit::SetReferenceText(const QString& text) {
  reference_ = text;
  UpdateColours();
}

void ColourEdit::SetAlert(bool alert) {
  alert_ = alert;
  UpdateColours();
}

void ColourEdit::UpdateColours() {
  const FieldColour colour =
      PickFieldColour(text().toStdString(), reference_.toStdString(), alert_);
  if (colour == colour_) return;
  colour_ = colour;
  if (colour == FieldColour::kDefault) {
    // Back to the colours the field inherits from its window.
    setPalette(QPalette());
    return;
  }
  QPalette p = palette();
  const bool is_alert = colour == FieldColour::kAlert;
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    p.setColor(group, QPalette::Text, is_alert ? alert_text_ : changed_text_);
    p.setColor(group, QPalette::Base, is_alert ? alert_background_ : changed_background_);
  }
  setPalette(p);
}

void ColourEdit::UpdateHelpButtonOnFocusOut(int button, FieldKind kind) {
  if (owner_ == nullptr) return;
  QWidget* help = owner_->HelpButton(button);
  if (help == nullptr) return;
  // Qt has already moved the focus when the old widget hears of it.
  QWidget* to = QApplication::focusWidget();
  const bool keep = to != nullptr && (to == help || owner_->IsOwnField(to, kind));
  if (!keep) owner_->SetActiveField(nullptr);
  help->setVisible(keep);
  emit helpButtonChanged(button, keep);
}

void ColourEdit::ShowHelpButtonOnFocusIn(int button) {
  if (owner_ == nullptr) return;
  if (QWidget* help = owner_->HelpButton(button)) help->show();
  emit helpButtonChanged(button, true);
  owner_->SetActiveField(this);
}

RunningHoursEdit::RunningHoursEdit(QColor alert_text, QColor alert_background, QColor changed_text,
                                   QColor changed_background, int control, int32_t limit,
                                   QWidget* parent)
    : ColourEdit(alert_text, alert_background, changed_text, changed_background, control, parent),
      limit_(limit) {}

void RunningHoursEdit::focusInEvent(QFocusEvent* event) {
  ColourEdit::focusInEvent(event);
  ShowHelpButtonOnFocusIn(kRunningHelpButton);
}

void RunningHoursEdit::focusOutEvent(QFocusEvent* event) {
  ColourEdit::focusOutEvent(event);
  SetAlert(RunningHoursAlert(text().toStdString(), limit_));
  UpdateHelpButtonOnFocusOut(kRunningHelpButton, FieldKind::kRunningHours);
}

InstallDateEdit::InstallDateEdit(QColor alert_text, QColor alert_background, QColor changed_text,
                                 QColor changed_background, int control, int partner,
                                 int32_t life_hours, QWidget* parent)
    : ColourEdit(alert_text, alert_background, changed_text, changed_background, control, parent),
      partner_(partner),
      life_hours_(life_hours) {}

void InstallDateEdit::Recompute(bool rewrite) {
  FieldOwner* o = owner();
  Clock* clock = o != nullptr ? o->FieldClock() : nullptr;
  const LocalDateTime now = clock != nullptr ? clock->Now() : SystemNow();
  const DateRecompute r = RecomputeInstallDate(text().toStdString(), life_hours_, now, alert());
  if (r.is_date && rewrite) {
    const QString own = QString::fromStdString(r.own_text);
    if (o != nullptr) {
      o->SetFieldText(control(), own);
    } else {
      setText(own);
    }
  }
  if (o != nullptr) o->SetFieldText(partner_, QString::fromStdString(r.partner_text));
  SetAlert(r.alert);
}

void InstallDateEdit::focusInEvent(QFocusEvent* event) {
  ColourEdit::focusInEvent(event);
  ShowHelpButtonOnFocusIn(kDateHelpButton);
}

void InstallDateEdit::focusOutEvent(QFocusEvent* event) {
  ColourEdit::focusOutEvent(event);
  Recompute(true);
  UpdateHelpButtonOnFocusOut(kDateHelpButton, FieldKind::kInstallDate);
}

}  // namespace quillon::gui
