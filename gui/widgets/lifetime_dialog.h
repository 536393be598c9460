#ifndef QUILLON_GUI_WIDGETS_LIFETIME_DIALOG_H_
#define QUILLON_GUI_WIDGETS_LIFETIME_DIALOG_H_

#include <array>

#include "gui/core/lifetime_captions.h"
#include "gui/core/lifetime_presenter.h"
#include "gui/widgets/base_dialog.h"
#include "gui/widgets/colour_edit.h"
#include "gui/widgets/field_owner.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace quillon {
class Clock;
}

namespace quillon::gui {

class SelfHidingButton;

// The component lifetime dialog: install dates of the UPS battery and the sixteen RAID
// batteries with their next change dates, running hours of the CPU fan, the housing fans and
// the PSU with their lives, the server's running hours, the "Confirmed" boxes, the editing
// help and the PSU monitor toggle. The decisions are the presenter's; this class shows them.
// OK saves (and closes when the presenter says so), CANCEL and Esc close without writing.
// The store, clock, prompter and PSU state are not owned and must outlive the dialog. The
// clock gives "now" for the next-change marks and the "Set today" button. GUI thread only.
class LifetimeDialog : public BaseDialog, public FieldOwner {
  Q_OBJECT

 public:
  LifetimeDialog(QWidget* parent, int language, Store* store, Clock* clock, Prompter* prompter,
                 PsuProgramState* psu, PartsChangedSender sender);

  // Validation of OK: running fields with a life, the server field, then all install dates.
  bool ExchangeData(bool save) override;
  void OnOk() override;

  // FieldOwner.
  QWidget* HelpButton(int button) override;
  bool IsOwnField(const QWidget* widget, FieldKind kind) override;
  void SetActiveField(ColourEdit* field) override { active_ = field; }
  void SetFieldText(int control, const QString& text) override;
  Clock* FieldClock() override { return clock_; }

  // The buttons' actions.
  void OnSetToday();
  void OnSetZero();
  void OnPsuToggle();
  // A field showed or hid an editing-help button: the hint follows.
  void OnHelpButtonChanged(int button, bool shown);

  // The widgets, for tests.
  InstallDateEdit* date_field(int row) const { return dates_[row]; }
  RunningHoursEdit* running_field(int row) const { return running_[row]; }
  QCheckBox* confirm_box(int index) const { return confirms_[index]; }
  ColourEdit* active_field() const { return active_; }
  const LifetimePresenter& presenter() const { return presenter_; }

 private:
  void BuildWidgets();
  // A group box named `name` with a four-column grid whose first line holds the headings
  // `heading_prefix`0..3 (controls `heading_base` + 0..3, the last centred). Returns the grid;
  // the group is its parent widget.
  QGridLayout* NewTableGroup(const QString& name, const QString& heading_prefix, int heading_base);
  // The accessible names of the table cells: row label and column heading.
  void NameCells();
  void ShowOpening();
  void ShowPsuRow();
  void ShowToggle();
  LifetimeForm ReadForm() const;

  LifetimePresenter presenter_;
  Clock* clock_;
  std::array<InstallDateEdit*, kDateRows> dates_{};
  std::array<RunningHoursEdit*, kRunningRows> running_{};
  std::array<QCheckBox*, kNotifyCount> confirms_{};
  QPushButton* date_help_ = nullptr;
  SelfHidingButton* running_help_ = nullptr;
  QPushButton* psu_enable_ = nullptr;
  QPushButton* psu_disable_ = nullptr;
  QLabel* hint_ = nullptr;
  ColourEdit* active_ = nullptr;
  // The validated numbers of the last OK.
  std::array<uint32_t, kRunningRows> validated_{};
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_WIDGETS_LIFETIME_DIALOG_H_
