#ifndef QUILLON_GUI_CORE_TESTING_RECORDING_PROMPTER_H_
#define QUILLON_GUI_CORE_TESTING_RECORDING_PROMPTER_H_

#include <deque>
#include <string>
#include <vector>

#include "gui/core/prompter.h"

namespace quillon::gui {

// A Prompter for tests: records every box and answers questions from a script (No when the
// script is empty). GUI thread only.
class RecordingPrompter : public Prompter {
 public:
  enum class Kind { kQuestion, kError, kInformation, kPlain };
  struct Box {
    Kind kind;
    std::string caption;
    std::string text;
  };

  bool AskYesNo(const std::string& caption, const std::string& text) override;
  void ShowError(const std::string& caption, const std::string& text) override;
  void ShowInformation(const std::string& caption, const std::string& text) override;
  void ShowPlain(const std::string& caption, const std::string& text) override;

  void AnswerNext(bool yes) { answers_.push_back(yes); }
  const std::vector<Box>& boxes() const { return boxes_; }
  void Clear() { boxes_.clear(); }

 private:
  std::deque<bool> answers_;
  std::vector<Box> boxes_;
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_TESTING_RECORDING_PROMPTER_H_
