#include "gui/core/testing/recording_prompter.h"

namespace quillon::gui {

bool RecordingPrompter::AskYesNo(const std::string& caption, const std::string& text) {
  boxes_.push_back({Kind::kQuestion, caption, text});
  if (answers_.empty()) return false;
  const bool yes = answers_.front();
  answers_.pop_front();
  return yes;
}

void RecordingPrompter::ShowError(const std::string& caption, const std::string& text) {
  boxes_.push_back({Kind::kError, caption, text});
}

void RecordingPrompter::ShowInformation(const std::string& caption, const std::string& text) {
  boxes_.push_back({Kind::kInformation, caption, text});
}

void RecordingPrompter::ShowPlain(const std::string& caption, const std::string& text) {
  boxes_.push_back({Kind::kPlain, caption, text});
}

}  // namespace quillon::gui
