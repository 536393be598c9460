#include "gui/widgets/notify_method_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>

#include "gui/widgets/app_icon.h"

namespace quillon::gui {

NotifyMethodDialog::NotifyMethodDialog(QWidget* parent, int language, Store* store,
                                       Prompter* prompter)
    : BaseDialog(parent, kOkControl, kCancelControl, language, prompter), presenter_(store) {
  setObjectName("notifyMethodDialog");
  setWindowIcon(AppIcon());

  lcd_ = new QCheckBox(this);
  lcd_->setObjectName("lcdCheck");
  screen_ = new QCheckBox(this);
  screen_->setObjectName("screenCheck");
  auto* ok = new QPushButton(this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton(this);
  cancel->setObjectName("cancelButton");
  RegisterControl(kLcdCheck, lcd_);
  RegisterControl(kScreenCheck, screen_);
  RegisterControl(kOkControl, ok);
  RegisterControl(kCancelControl, cancel);
  connect(ok, &QPushButton::clicked, this, &BaseDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &BaseDialog::reject);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(24, 20, 24, 16);
  layout->setVerticalSpacing(12);
  layout->addWidget(lcd_, 0, 0, 1, 2);
  layout->addWidget(screen_, 1, 0, 1, 2);
  layout->addWidget(ok, 2, 0);
  layout->addWidget(cancel, 2, 1);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  // Wide enough for the title in either language.
  lcd_->setMinimumWidth(280);
  // The tab order is the template's: the two boxes, then OK and CANCEL.
  setTabOrder(lcd_, screen_);
  setTabOrder(screen_, ok);
  setTabOrder(ok, cancel);

  const auto captions = NotifyMethodCaptions();
  SetTitleFromTable(captions);
  for (int control : {kLcdCheck, kScreenCheck, kOkControl, kCancelControl}) {
    ApplyCaption(control, captions);
  }
  presenter_.Open();
  lcd_->setEnabled(false);
  ExchangeData(false);
}

bool NotifyMethodDialog::ExchangeData(bool save) {
  return ExchangeCheckBox(save, kLcdCheck, &presenter_.flags()[0]) &&
         ExchangeCheckBox(save, kScreenCheck, &presenter_.flags()[1]);
}

void NotifyMethodDialog::OnOk() {
  if (!ExchangeData(true)) return;
  const Status status = presenter_.Save();
  if (status != kOk) {
    prompter()->ShowError(kAppName, NotifyMethodPresenter::FailureMessage(language(), status));
    return;
  }
  // Closes with Accepted past BaseDialog::accept, which would only run OnOk again.
  QDialog::accept();  // NOLINT(bugprone-parent-virtual-call): QDialog's accept is the one meant.
}

}  // namespace quillon::gui
