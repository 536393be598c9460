#include "gui/widgets/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace quillon::gui {
namespace {

QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(0x1f, 0x4e, 0x8c));
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 6.0, size / 6.0);
  QFont font;
  font.setBold(true);
  font.setPixelSize(size * 2 / 3);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, "Q");
  return pixmap;
}

}  // namespace

QIcon AppIcon() {
  static const QIcon icon = [] {
    QIcon i;
    for (int size : {16, 32, 48}) i.addPixmap(DrawIcon(size));
    return i;
  }();
  return icon;
}

}  // namespace quillon::gui
