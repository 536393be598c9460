#ifndef QUILLON_GUI_CORE_PROMPTER_H_
#define QUILLON_GUI_CORE_PROMPTER_H_

#include <string>

namespace quillon::gui {

// The message boxes of the GUI, behind an interface so that presenters and dialogs run in
// tests without modal loops. Texts and captions are UTF-8. Calls block until the operator
// answers (the Qt implementation runs a modal box over the active dialog).
class Prompter {
 public:
  virtual ~Prompter() = default;

  // A Yes/No question with the question icon, No preselected. True only when the operator
  // chose Yes.
  virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
  // An error: stop icon, OK button.
  virtual void ShowError(const std::string& caption, const std::string& text) = 0;
  // Information: information icon, OK button.
  virtual void ShowInformation(const std::string& caption, const std::string& text) = 0;
  // A validation message: OK button, no icon.
  virtual void ShowPlain(const std::string& caption, const std::string& text) = 0;
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_PROMPTER_H_
