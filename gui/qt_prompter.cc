#include "gui/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>

namespace quillon::gui {
namespace {

QWidget* BoxParent() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

int ShowBox(QMessageBox::Icon icon, const std::string& caption, const std::string& text,
            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton preselected) {
  QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), buttons,
                  BoxParent());
  box.setObjectName("messageBox");
  box.setDefaultButton(preselected);
  return box.exec();
}

}  // namespace

bool QtPrompter::AskYesNo(const std::string& caption, const std::string& text) {
  return ShowBox(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                 QMessageBox::No) == QMessageBox::Yes;
}

void QtPrompter::ShowError(const std::string& caption, const std::string& text) {
  ShowBox(QMessageBox::Critical, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtPrompter::ShowInformation(const std::string& caption, const std::string& text) {
  ShowBox(QMessageBox::Information, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtPrompter::ShowPlain(const std::string& caption, const std::string& text) {
  ShowBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

}  // namespace quillon::gui
