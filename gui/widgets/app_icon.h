#ifndef QUILLON_GUI_WIDGETS_APP_ICON_H_
#define QUILLON_GUI_WIDGETS_APP_ICON_H_

#include <QIcon>

namespace quillon::gui {

// The program's icon, drawn once (a rounded square with the product's initial). GUI thread.
QIcon AppIcon();

}  // namespace quillon::gui

#endif  // QUILLON_GUI_WIDGETS_APP_ICON_H_
