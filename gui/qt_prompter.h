#ifndef QUILLON_GUI_QT_PROMPTER_H_
#define QUILLON_GUI_QT_PROMPTER_H_

#include <QMessageBox>
#include <memory>

#include "gui/prompter.h"

namespace quillon::gui {

// The box QtPrompter shows for a question (Yes/No, question icon, No preselected), an error
// (stop icon), information or a validation message (no icon), parented to the active window.
enum class BoxKind { kQuestion, kError, kInformation, kPlain };
std::unique_ptr<QMessageBox> MakeMessageBox(BoxKind kind, const std::string& caption,
                                            const std::string& text);

// Prompter over QMessageBox: each box is modal over the application's active window. GUI
// thread only.
class QtPrompter : public Prompter {
 public:
  bool AskYesNo(const std::string& caption, const std::string& text) override;
  void ShowError(const std::string& caption, const std::string& text) override;
  void ShowInformation(const std::string& caption, const std::string& text) override;
  void ShowPlain(const std::string& caption, const std::string& text) override;
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_QT_PROMPTER_H_
