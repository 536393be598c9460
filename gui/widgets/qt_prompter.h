#ifndef QUILLON_GUI_WIDGETS_QT_PROMPTER_H_
#define QUILLON_GUI_WIDGETS_QT_PROMPTER_H_

#include <QMessageBox>
#include <memory>

#include "gui/core/prompter.h"

namespace quillon::gui {

// The box QtPrompter shows for a question (Yes/No, question icon, No preselected), an error
// (stop icon), information or a validation message (no icon), parented to the active window.
// The box is wide enough for its whole caption (see FitCaption).
enum class BoxKind { kQuestion, kError, kInformation, kPlain };
std::unique_ptr<QMessageBox> MakeMessageBox(BoxKind kind, const std::string& caption,
                                            const std::string& text);

// The width a window needs for a title bar that shows `caption` whole in `font`: the caption
// in bold, as title bars commonly set it, and room for the title bar's icon and buttons.
int CaptionWidth(const QString& caption, const QFont& font);
// Makes `box` at least CaptionWidth of its window title wide (never wider than its screen's
// available width). Call after the title is set.
void FitCaption(QMessageBox* box);

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

#endif  // QUILLON_GUI_WIDGETS_QT_PROMPTER_H_
