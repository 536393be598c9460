#include "gui/widgets/lifetime_dialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/lifetime/operator_date.h"
#include "gui/core/field_logic.h"
#include "gui/widgets/app_icon.h"
#include "gui/widgets/self_hiding_button.h"
#include "platform/clock.h"

namespace quillon::gui {
namespace {

const QColor kAlertText(255, 0, 0);
const QColor kChangedText(0, 0, 255);
const QColor kWhite(255, 255, 255);
// The life an install-date field has until the opening gives it its row's limit.
constexpr int32_t kInitialDateLife = 17520;

// Top to bottom: the UPS battery, then RAID#01..#16.
constexpr int kDateDisplayOrder[kDateRows] = {kUpsDateRow, 0, 1,  2,  3,  4,  5,  6, 7,
                                              8,           9, 10, 11, 12, 13, 14, 15};
// Top to bottom: CPU fan, housing fans, PSU; the server field sits below the group.
constexpr int kRunningDisplayOrder[kPartRows] = {kRowCpuFan, kRowCaisFan, kRowPsu};

QLabel* NewLabel(QWidget* parent, const QString& name) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  return label;
}

// A read-only display (next change, life time): a sunken box of fixed width.
QLabel* NewDisplay(QWidget* parent, const QString& name) {
  QLabel* label = NewLabel(parent, name);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setMinimumWidth(86);
  label->setIndent(4);
  return label;
}

}  // namespace

LifetimeDialog::LifetimeDialog(QWidget* parent, int language, Store* store, Clock* clock,
                               Prompter* prompter, PsuProgramState* psu, PartsChangedSender sender)
    : BaseDialog(parent, kOkControl, kCancelControl, language, prompter),
      presenter_(store, this->prompter(), psu, std::move(sender), language),
      clock_(clock) {
  setObjectName("lifetimeDialog");
  setWindowIcon(AppIcon());
  BuildWidgets();
  ShowOpening();
}

QGridLayout* LifetimeDialog::NewTableGroup(const QString& name, const QString& heading_prefix,
                                           int heading_base) {
  auto* group = new QGroupBox(this);
  group->setObjectName(name);
  auto* grid = new QGridLayout(group);
  // Narrow enough that the whole dialog, both tables side by side, fits an 800x600 console in
  // either language.
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  for (int c = 0; c < 4; ++c) {
    QLabel* heading = NewLabel(group, heading_prefix + QString::number(c));
    RegisterControl(heading_base + c, heading);
    grid->addWidget(heading, 0, c, c == 3 ? Qt::AlignHCenter : Qt::Alignment());
  }
  return grid;
}

void LifetimeDialog::BuildWidgets() {
  // Install-date group: component, install date, next change, confirmed.
  QGridLayout* date_grid = NewTableGroup("dateGroup", "dateHeading", kDateHeadingBase);
  QWidget* date_group = date_grid->parentWidget();
  int line = 1;
  for (int row : kDateDisplayOrder) {
    const QString tag =
        row == kUpsDateRow ? QString("Ups") : QString("Raid%1").arg(row + 1, 2, 10, QChar('0'));
    QLabel* label = NewLabel(date_group, "dateLabel" + tag);
    auto* field =
        new InstallDateEdit(kAlertText, kWhite, kChangedText, kWhite, kDateFieldBase + row,
                            kNextChangeBase + row, kInitialDateLife, date_group);
    field->setObjectName("dateField" + tag);
    field->setMaxLength(15);
    field->setFixedWidth(96);
    field->SetOwner(this);
    connect(field, &ColourEdit::helpButtonChanged, this, &LifetimeDialog::OnHelpButtonChanged);
    QLabel* next = NewDisplay(date_group, "nextChange" + tag);
    auto* confirm = new QCheckBox(date_group);
    confirm->setObjectName("dateConfirm" + tag);
    RegisterControl(kDateLabelBase + row, label);
    RegisterControl(kDateFieldBase + row, field);
    RegisterControl(kNextChangeBase + row, next);
    RegisterControl(kDateConfirmBase + row, confirm);
    date_grid->addWidget(label, line, 0);
    date_grid->addWidget(field, line, 1);
    date_grid->addWidget(next, line, 2);
    date_grid->addWidget(confirm, line, 3, Qt::AlignHCenter);
    ++line;
    dates_[row] = field;
    confirms_[DateNotifyIndex(row)] = confirm;
  }

  // Running group: component, running, life time, confirmed.
  QGridLayout* running_grid = NewTableGroup("runningGroup", "runningHeading", kRunningHeadingBase);
  QWidget* running_group = running_grid->parentWidget();
  static constexpr const char* kRunningTags[kRunningRows] = {"CpuFan", "Psu", "CaisFan", "Server"};
  auto make_running = [&](int row, QWidget* parent) {
    QLabel* label = NewLabel(parent, QString("runningLabel") + kRunningTags[row]);
    auto* field = new RunningHoursEdit(kAlertText, kWhite, kChangedText, kWhite,
                                       kRunningFieldBase + row, kServerFieldLimit, parent);
    field->setObjectName(QString("runningField") + kRunningTags[row]);
    field->setFixedWidth(86);
    field->setAlignment(Qt::AlignRight);
    field->SetOwner(this);
    connect(field, &ColourEdit::helpButtonChanged, this, &LifetimeDialog::OnHelpButtonChanged);
    RegisterControl(kRunningLabelBase + row, label);
    RegisterControl(kRunningFieldBase + row, field);
    running_[row] = field;
    return std::pair{label, field};
  };
  line = 1;
  for (int row : kRunningDisplayOrder) {
    auto [label, field] = make_running(row, running_group);
    QLabel* life = NewDisplay(running_group, QString("lifeTime") + kRunningTags[row]);
    life->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* confirm = new QCheckBox(running_group);
    confirm->setObjectName(QString("runningConfirm") + kRunningTags[row]);
    RegisterControl(kLifeTimeBase + row, life);
    RegisterControl(kRunningConfirmBase + row, confirm);
    running_grid->addWidget(label, line, 0);
    running_grid->addWidget(field, line, 1);
    running_grid->addWidget(life, line, 2);
    running_grid->addWidget(confirm, line, 3, Qt::AlignHCenter);
    ++line;
    confirms_[RunningNotifyIndex(row)] = confirm;
  }

  // The server's running hours: a free field below the group.
  auto* server_box = new QHBoxLayout();
  auto [server_label, server_field] = make_running(kRowServer, this);
  server_box->addWidget(server_label);
  server_box->addWidget(server_field);
  server_box->addStretch(1);

  hint_ = NewLabel(this, "hintText");
  hint_->setWordWrap(true);
  hint_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  hint_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  RegisterControl(kHintText, hint_);

  // One place shared by the two editing-help buttons, one by the two PSU toggles.
  date_help_ = new QPushButton(this);
  date_help_->setObjectName("setTodayButton");
  running_help_ = new SelfHidingButton(this);
  running_help_->setObjectName("setZeroButton");
  psu_enable_ = new QPushButton(this);
  psu_enable_->setObjectName("psuEnableButton");
  psu_disable_ = new QPushButton(this);
  psu_disable_->setObjectName("psuDisableButton");
  RegisterControl(kDateHelpButton, date_help_);
  RegisterControl(kRunningHelpButton, running_help_);
  RegisterControl(kPsuEnableButton, psu_enable_);
  RegisterControl(kPsuDisableButton, psu_disable_);
  auto* help_place = new QGridLayout();
  help_place->addWidget(date_help_, 0, 0);
  help_place->addWidget(running_help_, 0, 0);
  help_place->addWidget(psu_enable_, 1, 0);
  help_place->addWidget(psu_disable_, 1, 0);
  // The places keep their size while their buttons are hidden, so nothing below them moves
  // when an editing-help button shows or hides.
  for (QPushButton* b : {static_cast<QPushButton*>(date_help_),
                         static_cast<QPushButton*>(running_help_), psu_enable_, psu_disable_}) {
    b->setAutoDefault(false);
    QSizePolicy policy = b->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    b->setSizePolicy(policy);
    b->hide();
  }
  connect(date_help_, &QPushButton::clicked, this, &LifetimeDialog::OnSetToday);
  connect(running_help_, &QPushButton::clicked, this, &LifetimeDialog::OnSetZero);
  connect(psu_enable_, &QPushButton::clicked, this, &LifetimeDialog::OnPsuToggle);
  connect(psu_disable_, &QPushButton::clicked, this, &LifetimeDialog::OnPsuToggle);

  auto* ok = new QPushButton(this);
  ok->setObjectName("okButton");
  ok->setAutoDefault(false);
  auto* cancel = new QPushButton(this);
  cancel->setObjectName("cancelButton");
  cancel->setAutoDefault(false);
  RegisterControl(kOkControl, ok);
  RegisterControl(kCancelControl, cancel);
  connect(ok, &QPushButton::clicked, this, &BaseDialog::accept);
  // The dialog opens with the focus on OK, so no editing help shows until a field is chosen.
  ok->setFocus(Qt::OtherFocusReason);
  connect(cancel, &QPushButton::clicked, this, &BaseDialog::reject);
  auto* actions = new QHBoxLayout();
  actions->addStretch(1);
  actions->addWidget(ok);
  actions->addWidget(cancel);

  auto* right = new QVBoxLayout();
  right->addWidget(running_group);
  right->addSpacing(6);
  right->addLayout(server_box);
  right->addSpacing(6);
  right->addWidget(hint_);
  right->addLayout(help_place);
  right->addStretch(1);
  right->addLayout(actions);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(10);
  layout->addWidget(date_group);
  layout->addLayout(right);
  hint_->setFixedWidth(360);
  // The hint area is as tall as the longest hint of the language needs, so showing one does not
  // push the buttons below it down.
  int hint_height = 56;
  for (const TextPair& hint : {kDateHint, kRunningHint}) {
    hint_->setText(Q(Pick(hint, language())));
    hint_height = std::max(hint_height, hint_->heightForWidth(hint_->width()));
  }
  hint_->clear();
  hint_->setFixedHeight(hint_height);
}

void LifetimeDialog::NameCells() {
  // The cells of the two tables have no caption of their own; a screen reader names each by its
  // row and its column, as the operator reads the table.
  const QString title = windowTitle();
  auto name = [&](int control, int label, int heading) {
    SetAccessibleTexts(Control(control), ControlText(label) + " " + ControlText(heading), title);
  };
  for (int row = 0; row < kDateRows; ++row) {
    name(kDateFieldBase + row, kDateLabelBase + row, kDateHeadingBase + 1);
    name(kNextChangeBase + row, kDateLabelBase + row, kDateHeadingBase + 2);
    name(kDateConfirmBase + row, kDateLabelBase + row, kDateHeadingBase + 3);
  }
  for (int row = 0; row < kPartRows; ++row) {
    name(kRunningFieldBase + row, kRunningLabelBase + row, kRunningHeadingBase + 1);
    name(kLifeTimeBase + row, kRunningLabelBase + row, kRunningHeadingBase + 2);
    name(kRunningConfirmBase + row, kRunningLabelBase + row, kRunningHeadingBase + 3);
  }
  SetAccessibleTexts(Control(kRunningFieldBase + kRowServer),
                     ControlText(kRunningLabelBase + kRowServer), title);
}

void LifetimeDialog::ShowOpening() {
  const auto captions = LifetimeCaptions();
  SetTitleFromTable(captions);
  for (const CaptionRow& row : captions) {
    if (row.control != 0) ApplyCaption(row.control, captions);
  }
  NameCells();

  presenter_.Open();
  set_server_hours(presenter_.server_hours());
  ShowToggle();

  for (int row = 0; row < kRunningRows; ++row) {
    RunningHoursEdit* field = running_[row];
    const bool enabled = presenter_.RunningEnabled(row);
    field->set_limit(presenter_.FieldLimit(row));
    const QString text = Q(presenter_.RunningText(row));
    field->setText(text);
    // A disabled row shows no number; its reference is what it shows, so it is never marked.
    field->SetReferenceText(
        enabled && row != kRowServer ? Q(std::to_string(presenter_.record().current[row])) : text);
    field->SetAlert(presenter_.RunningAlertAtOpening(row));
    field->setEnabled(enabled);
    Control(kRunningLabelBase + row)->setEnabled(enabled);
    if (row != kRowServer) {
      SetControlText(kLifeTimeBase + row, Q(presenter_.LifeText(row)));
      Control(kLifeTimeBase + row)->setEnabled(enabled);
    }
  }

  for (int row = 0; row < kDateRows; ++row) {
    InstallDateEdit* field = dates_[row];
    field->set_life_hours(presenter_.DateLife(row));
    const QString text = Q(presenter_.DateText(row));
    field->setText(text);
    const bool enabled = presenter_.DateEnabled(row);
    field->setEnabled(enabled);
    Control(kDateLabelBase + row)->setEnabled(enabled);
    Control(kNextChangeBase + row)->setEnabled(enabled);
    field->SetReferenceText(text);
    field->Recompute(false);
  }

  for (int index = 0; index < kNotifyCount; ++index) {
    confirms_[index]->setChecked(presenter_.ConfirmTicked(index));
    confirms_[index]->setEnabled(presenter_.ConfirmEnabled(index));
  }
}

void LifetimeDialog::ShowToggle() {
  psu_enable_->setVisible(presenter_.toggle() == PsuToggle::kEnable);
  psu_disable_->setVisible(presenter_.toggle() == PsuToggle::kDisable);
}

void LifetimeDialog::ShowPsuRow() {
  RunningHoursEdit* field = running_[kRowPsu];
  if (presenter_.toggle() == PsuToggle::kDisable) {
    // Monitoring was switched on: the row shows the new life and the hours worked out.
    field->set_limit(presenter_.FieldLimit(kRowPsu));
    SetControlText(kLifeTimeBase + kRowPsu, Q(std::to_string(presenter_.LifeLimit(kRowPsu))));
    const QString hours = Q(std::to_string(presenter_.PsuRunningHours()));
    field->setText(hours);
    field->SetReferenceText(hours);
    field->SetAlert(RunningHoursAlert(U(hours), field->limit()));
    field->setEnabled(true);
    Control(kLifeTimeBase + kRowPsu)->setEnabled(true);
    Control(kRunningLabelBase + kRowPsu)->setEnabled(true);
  } else {
    field->setText(QString());
    field->SetReferenceText(QString());
    field->SetAlert(false);
    SetControlText(kLifeTimeBase + kRowPsu, QString());
    field->setEnabled(false);
    Control(kRunningLabelBase + kRowPsu)->setEnabled(false);
    confirms_[kNotifyPsu]->setChecked(false);
    confirms_[kNotifyPsu]->setEnabled(false);
  }
}

void LifetimeDialog::OnPsuToggle() {
  if (!presenter_.TogglePsu()) return;
  ShowPsuRow();
  ShowToggle();
}

QWidget* LifetimeDialog::HelpButton(int button) {
  if (button == kDateHelpButton) return date_help_;
  if (button == kRunningHelpButton) return running_help_;
  return nullptr;
}

bool LifetimeDialog::IsOwnField(const QWidget* widget, FieldKind kind) {
  if (kind == FieldKind::kInstallDate) {
    return std::find(dates_.begin(), dates_.end(), widget) != dates_.end();
  }
  return std::find(running_.begin(), running_.end(), widget) != running_.end();
}

void LifetimeDialog::SetFieldText(int control, const QString& text) {
  SetControlText(control, text);
}

void LifetimeDialog::OnHelpButtonChanged(int button, bool shown) {
  QString text;
  if (shown) text = Q(Pick(button == kDateHelpButton ? kDateHint : kRunningHint, language()));
  // Replaced only when it differs, so the label does not flicker while moving between fields.
  if (hint_->text() != text) hint_->setText(text);
}

void LifetimeDialog::OnSetToday() {
  if (active_ == nullptr) return;
  ColourEdit* field = active_;
  field->setText(Q(FormatDate(clock_->Now())));
  field->setFocus(Qt::OtherFocusReason);
  // Leaving the field recomputes its next change date.
  focusNextPrevChild(true);
}

void LifetimeDialog::OnSetZero() {
  if (active_ == nullptr) return;
  ColourEdit* field = active_;
  field->setText("0");
  field->setFocus(Qt::OtherFocusReason);
  if (field == running_[kRowPsu]) {
    OnHelpButtonChanged(kRunningHelpButton, false);
    running_help_->hide();
  }
  focusNextPrevChild(true);
}

bool LifetimeDialog::ExchangeData(bool save) {
  if (!save) return true;
  for (int row = 0; row < kPartRows; ++row) {
    if (presenter_.LifeLimit(row) == 0) continue;
    if (!ExchangeDigits(true, kRunningFieldBase + row, &validated_[row], 0, kMaxRunningHours)) {
      return false;
    }
  }
  if (!ExchangeDigits(true, kRunningFieldBase + kRowServer, &validated_[kRowServer], 0,
                      kMaxServerHours)) {
    return false;
  }
  for (int row = 0; row < kDateRows; ++row) {
    char scratch[kDateTextSize];
    if (!ExchangeDateText(true, kDateFieldBase + row, scratch, sizeof scratch)) return false;
  }
  return true;
}

LifetimeForm LifetimeDialog::ReadForm() const {
  LifetimeForm form;
  form.running = validated_;
  for (int row = 0; row < kRunningRows; ++row) form.running_alert[row] = running_[row]->alert();
  for (int row = 0; row < kDateRows; ++row) {
    form.dates[row] = U(dates_[row]->text());
    form.date_alert[row] = dates_[row]->alert();
  }
  for (int index = 0; index < kNotifyCount; ++index) {
    form.confirmed[index] = confirms_[index]->checkState() != Qt::Unchecked;
  }
  return form;
}

void LifetimeDialog::OnOk() {
  if (!ExchangeData(true)) return;
  LifetimeForm form = ReadForm();
  const LifetimePresenter::SaveResult result = presenter_.Save(&form);
  for (int row = 0; row < kRunningRows; ++row) {
    if (!form.running_alert[row]) running_[row]->SetAlert(false);
  }
  // Closes with Accepted past BaseDialog::accept, which would only run OnOk again.
  // NOLINTNEXTLINE(bugprone-parent-virtual-call): QDialog's accept is the one meant.
  if (result == LifetimePresenter::SaveResult::kClose) QDialog::accept();
}

}  // namespace quillon::gui
