#ifndef QUILLON_GUI_QT_PROMPTER_H_
#define QUILLON_GUI_QT_PROMPTER_H_

#include "gui/prompter.h"

namespace quillon::gui {

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
