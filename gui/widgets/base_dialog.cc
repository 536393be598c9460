#include "gui/widgets/base_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "gui/core/data_exchange.h"
#include "gui/widgets/colour_edit.h"
#include "gui/widgets/qt_prompter.h"

namespace quillon::gui {
namespace {

DialogKey ToDialogKey(int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return DialogKey::kReturn;
    case Qt::Key_Escape:
      return DialogKey::kEscape;
    case Qt::Key_Up:
      return DialogKey::kUp;
    case Qt::Key_Down:
      return DialogKey::kDown;
    case Qt::Key_F1:
      return DialogKey::kF1;
    default:
      return DialogKey::kOther;
  }
}

}  // namespace

BaseDialog::BaseDialog(QWidget* parent, int default_control, int cancel_control, int language,
                       Prompter* prompter)
    : QDialog(parent),
      language_(language),
      default_control_(default_control),
      cancel_control_(cancel_control),
      prompter_(prompter) {
  if (prompter_ == nullptr) {
    own_prompter_ = std::make_unique<QtPrompter>();
    prompter_ = own_prompter_.get();
  }
  // The keys must be seen before the focused control handles them (a line edit would take
  // the arrows, a button Return), so the dialog watches every key press of the application
  // and keeps those meant for its own window.
  qApp->installEventFilter(this);
}

BaseDialog::~BaseDialog() {
  qApp->removeEventFilter(this);
  // The derived dialog, the owner of the fields, is already gone, but Qt still moves the focus
  // while it tears the window down; the fields must not call their owner then.
  for (ColourEdit* field : findChildren<ColourEdit*>()) field->SetOwner(nullptr);
}

void BaseDialog::RegisterControl(int control, QWidget* widget) {
  controls_.insert(control, widget);
  widget->setProperty("controlId", control);
}

QWidget* BaseDialog::Control(int control) const { return controls_.value(control, nullptr); }

int BaseDialog::ControlId(const QWidget* widget) const {
  for (auto it = controls_.cbegin(); it != controls_.cend(); ++it) {
    if (it.value() == widget) return it.key();
  }
  return kNoControl;
}

bool BaseDialog::SetControlText(int control, const QString& text) {
  QWidget* w = Control(control);
  if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->setText(text);
  } else if (auto* l = qobject_cast<QLabel*>(w)) {
    l->setText(text);
  } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
    e->setText(text);
  } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
    g->setTitle(text);
  } else {
    return false;
  }
  return true;
}

QString BaseDialog::ControlText(int control) const {
  QWidget* w = Control(control);
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  return QString();
}

bool BaseDialog::ApplyCaption(int control, std::span<const CaptionRow> table,
                              unsigned long argument) {
  const CaptionRow* row = FindCaption(table, control);
  QWidget* w = Control(control);
  if (row == nullptr || w == nullptr) return false;
  const QString tip = Q(CaptionTip(*row, language_));
  const QString text = Q(CaptionText(*row, language_, argument));
  w->setToolTip(tip);
  SetControlText(control, text);
  // A screen reader reads the tip as the description; a control without one is described by
  // the window it belongs to (the title row of the same table).
  QString description = tip;
  const CaptionRow* title = FindCaption(table, 0);
  if (description.isEmpty() && title != nullptr) {
    description = Q(CaptionText(*title, language_, kNoArgument));
  }
  SetAccessibleTexts(w, text, description);
  return true;
}

void BaseDialog::SetAccessibleTexts(QWidget* widget, const QString& name,
                                    const QString& description) {
  widget->setAccessibleName(name);
  widget->setAccessibleDescription(description);
}

void BaseDialog::SetTitleFromTable(std::span<const CaptionRow> table) {
  if (const CaptionRow* row = FindCaption(table, 0)) {
    setWindowTitle(Q(CaptionText(*row, language_, kNoArgument)));
  }
}

bool BaseDialog::ExchangeCheckBox(bool save, int control, uint32_t* flag) {
  auto* box = qobject_cast<QCheckBox*>(Control(control));
  if (box == nullptr) return true;
  if (save) {
    *flag = SaveCheckBox(box->checkState() != Qt::Unchecked);
  } else {
    box->setChecked(LoadCheckBox(*flag));
  }
  return true;
}

bool BaseDialog::ExchangeDigits(bool save, int control, uint32_t* value, uint32_t lower,
                                uint32_t upper) {
  auto* edit = qobject_cast<QLineEdit*>(Control(control));
  if (edit == nullptr) return true;
  if (!save) {
    edit->setText(Q(LoadDigits(*value)));
    return true;
  }
  if (SaveDigits(U(edit->text()), lower, upper, value)) return true;
  prompter_->ShowPlain(U(windowTitle()), RangeMessage(language_, lower, upper));
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  return false;
}

bool BaseDialog::ExchangeDateText(bool save, int control, char* buffer, size_t size) {
  auto* edit = qobject_cast<QLineEdit*>(Control(control));
  if (edit == nullptr || size == 0) return true;
  if (!save) {
    edit->setText(Q(std::string(buffer, strnlen(buffer, size))));
    return true;
  }
  std::string value;
  if (SaveDateText(U(edit->text()), &value)) {
    const size_t n = std::min(value.size(), size - 1);
    std::fill(buffer, buffer + size, '\0');
    std::copy_n(value.data(), n, buffer);
    return true;
  }
  prompter_->ShowPlain(U(windowTitle()), InvalidDateMessage(language_));
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  return false;
}

bool BaseDialog::ExchangeData(bool /*save*/) { return true; }

void BaseDialog::OnOk() {
  if (ExchangeData(true)) QDialog::accept();
}

void BaseDialog::OnCancel() { QDialog::reject(); }

void BaseDialog::MaintenanceAction() {}

void BaseDialog::accept() { OnOk(); }

void BaseDialog::reject() { OnCancel(); }

bool BaseDialog::HandleKey(QKeyEvent* event) {
  const Qt::KeyboardModifiers m = event->modifiers();
  const KeyModifiers modifiers{(m & Qt::ShiftModifier) != 0, (m & Qt::ControlModifier) != 0,
                               (m & Qt::AltModifier) != 0};
  const int focused = ControlId(QApplication::focusWidget());
  const KeyAction action =
      DecideKey(ToDialogKey(event->key()), modifiers, focused, default_control_, cancel_control_);
  switch (action) {
    case KeyAction::kOk:
      accept();
      return true;
    case KeyAction::kCancel:
      reject();
      return true;
    case KeyAction::kFocusNext:
    case KeyAction::kFocusPrevious:
      // Qt draws the focus frame only once the window's focus has been moved by the
      // keyboard, and it counts Tab and the arrows as such but not Return; every key that
      // moves the focus here must show where it went.
      setAttribute(Qt::WA_KeyboardFocusChange);
      focusNextPrevChild(action == KeyAction::kFocusNext);
      return true;
    case KeyAction::kMaintenance:
      MaintenanceAction();
      return true;
    case KeyAction::kIgnoreF1:
    case KeyAction::kDefault:
      break;
  }
  return false;
}

bool BaseDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  // Only key presses addressed to this dialog or one of its controls; a dialog opened from
  // this one has its own rules.
  auto* widget = static_cast<QWidget*>(watched);
  if (widget->window() != this) return false;
  return HandleKey(static_cast<QKeyEvent*>(event));
}

void BaseDialog::keyPressEvent(QKeyEvent* event) {
  // F1 never reaches QDialog's own keyboard handling.
  if (event->key() == Qt::Key_F1) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace quillon::gui
