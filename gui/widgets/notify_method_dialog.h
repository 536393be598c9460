#ifndef QUILLON_GUI_WIDGETS_NOTIFY_METHOD_DIALOG_H_
#define QUILLON_GUI_WIDGETS_NOTIFY_METHOD_DIALOG_H_

#include "gui/core/notify_method_presenter.h"
#include "gui/widgets/base_dialog.h"

class QCheckBox;
class QPushButton;

namespace quillon::gui {

// The error notification method dialog: "Display to LCD" (always off, disabled) and
// "Display to Screen", OK and CANCEL. OK stores both flags and closes; a failed write shows
// the failure message and keeps the dialog open. CANCEL and Esc close without writing.
// The store is not owned. GUI thread only.
class NotifyMethodDialog : public BaseDialog {
  Q_OBJECT

 public:
  NotifyMethodDialog(QWidget* parent, int language, Store* store, Prompter* prompter);

  bool ExchangeData(bool save) override;
  void OnOk() override;

 private:
  NotifyMethodPresenter presenter_;
  QCheckBox* lcd_;
  QCheckBox* screen_;
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_WIDGETS_NOTIFY_METHOD_DIALOG_H_
