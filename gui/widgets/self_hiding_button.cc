#include "gui/widgets/self_hiding_button.h"

namespace quillon::gui {

void SelfHidingButton::focusOutEvent(QFocusEvent* event) {
  QPushButton::focusOutEvent(event);
  hide();
}

}  // namespace quillon::gui
