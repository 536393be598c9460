#ifndef QUILLON_GUI_WIDGETS_VERSION_BOX_H_
#define QUILLON_GUI_WIDGETS_VERSION_BOX_H_

#include "gui/widgets/base_dialog.h"

namespace quillon::gui {

// The version box: the icon, "Quillon  V5.1 L13-03", one legal line and OK. Only its title
// follows the language. GUI thread only.
class VersionBox : public BaseDialog {
  Q_OBJECT

 public:
  VersionBox(QWidget* parent, int language, Prompter* prompter);
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_WIDGETS_VERSION_BOX_H_
