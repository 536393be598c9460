#include "gui/widgets/version_box.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "gui/core/main_menu_presenter.h"
#include "gui/widgets/app_icon.h"

namespace quillon::gui {

VersionBox::VersionBox(QWidget* parent, int language, Prompter* prompter)
    : BaseDialog(parent, kOkControl, kCancelControl, language, prompter) {
  setObjectName("versionBox");
  setWindowTitle(Q(Pick(kVersionTitle, language)));
  setWindowIcon(AppIcon());

  auto* icon = new QLabel(this);
  icon->setObjectName("iconLabel");
  icon->setPixmap(AppIcon().pixmap(32, 32));
  auto* version = new QLabel(Q(kVersionLine), this);
  version->setObjectName("versionLabel");
  auto* legal = new QLabel(Q(kLegalLine), this);
  legal->setObjectName("legalLabel");
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  RegisterControl(kOkControl, ok);
  SetAccessibleTexts(ok, ok->text(), windowTitle());
  connect(ok, &QPushButton::clicked, this, &BaseDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->setHorizontalSpacing(16);
  layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(version, 0, 1);
  layout->addWidget(legal, 1, 1);
  layout->addWidget(ok, 0, 2, Qt::AlignTop);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace quillon::gui
