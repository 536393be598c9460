#ifndef QUILLON_GUI_WIDGETS_SELF_HIDING_BUTTON_H_
#define QUILLON_GUI_WIDGETS_SELF_HIDING_BUTTON_H_

#include <QPushButton>

namespace quillon::gui {

// A push button that hides itself whenever it loses the focus (the editing-help buttons).
// GUI thread only.
class SelfHidingButton : public QPushButton {
  Q_OBJECT

 public:
  explicit SelfHidingButton(QWidget* parent = nullptr) : QPushButton(parent) {}

 protected:
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_WIDGETS_SELF_HIDING_BUTTON_H_
