#include "gui/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>

namespace quillon::gui {
namespace {

QWidget* BoxParent() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

}  // namespace

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
