#include "gui/widgets/qt_prompter.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

namespace quillon::gui {
namespace {

QWidget* BoxParent() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

}  // namespace

int CaptionWidth(const QString& caption, const QFont& font) {
  QFont bold = font;
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  // Room for the window icon and the minimise, maximise and close buttons of the title bar.
  return metrics.horizontalAdvance(caption) + 8 * metrics.height();
}

void FitCaption(QMessageBox* box) {
  // QMessageBox sizes itself to its message and its own guess of the title, which leaves too
  // little room for a window manager's title bar. Its width follows the layout's minimum, so
  // the button row, which spans the whole box, carries the width the caption needs.
  auto* buttons = box->findChild<QDialogButtonBox*>();
  if (buttons == nullptr || box->layout() == nullptr) return;
  const QMargins margins = box->layout()->contentsMargins();
  int width = CaptionWidth(box->windowTitle(), box->font());
  if (const QScreen* screen = box->screen()) {
    width = std::min(width, screen->availableGeometry().width());
  }
  buttons->setMinimumWidth(std::max(0, width - margins.left() - margins.right()));
}

std::unique_ptr<QMessageBox> MakeMessageBox(BoxKind kind, const std::string& caption,
                                            const std::string& text) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  QMessageBox::StandardButton preselected = QMessageBox::Ok;
  switch (kind) {
    case BoxKind::kQuestion:
      icon = QMessageBox::Question;
      buttons = QMessageBox::Yes | QMessageBox::No;
      preselected = QMessageBox::No;
      break;
    case BoxKind::kError:
      icon = QMessageBox::Critical;
      break;
    case BoxKind::kInformation:
      icon = QMessageBox::Information;
      break;
    case BoxKind::kPlain:
      break;
  }
  auto box = std::make_unique<QMessageBox>(icon, QString::fromStdString(caption),
                                           QString::fromStdString(text), buttons, BoxParent());
  box->setObjectName("messageBox");
  box->setDefaultButton(preselected);
  FitCaption(box.get());
  return box;
}

bool QtPrompter::AskYesNo(const std::string& caption, const std::string& text) {
  return MakeMessageBox(BoxKind::kQuestion, caption, text)->exec() == QMessageBox::Yes;
}

void QtPrompter::ShowError(const std::string& caption, const std::string& text) {
  MakeMessageBox(BoxKind::kError, caption, text)->exec();
}

void QtPrompter::ShowInformation(const std::string& caption, const std::string& text) {
  MakeMessageBox(BoxKind::kInformation, caption, text)->exec();
}

void QtPrompter::ShowPlain(const std::string& caption, const std::string& text) {
  MakeMessageBox(BoxKind::kPlain, caption, text)->exec();
}

}  // namespace quillon::gui
