#include "gui/widgets/colour_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "gui/core/testing/recording_prompter.h"
#include "gui/widgets/base_dialog.h"
#include "gui/widgets/self_hiding_button.h"
#include "gui/widgets/testing/qt_environment.h"
#include "platform/fakes/fake_clock.h"

namespace quillon::gui {
namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

constexpr int kDate1 = 1200;
constexpr int kDate2 = 1201;
constexpr int kNext1 = 1210;
constexpr int kNext2 = 1211;
constexpr int kRun1 = 1300;
constexpr int kRun2 = 1301;

// An owner of two install-date fields and two running-hours fields, as the component
// lifetime dialog owns them.
class FieldDialog : public BaseDialog, public FieldOwner {
 public:
  explicit FieldDialog(Prompter* prompter, Clock* clock)
      : BaseDialog(nullptr, kOkControl, kCancelControl, kEnglish, prompter), clock(clock) {
    auto* layout = new QGridLayout(this);
    int row = 0;
    for (auto [id, next] : {std::pair{kDate1, kNext1}, std::pair{kDate2, kNext2}}) {
      auto* field = new InstallDateEdit(kRed, kWhite, kBlue, kWhite, id, next, 17520, this);
      field->setObjectName(QString("date%1").arg(id));
      field->SetOwner(this);
      auto* partner = new QLabel(this);
      partner->setObjectName(QString("next%1").arg(next));
      partner->setMinimumWidth(90);
      RegisterControl(id, field);
      RegisterControl(next, partner);
      layout->addWidget(field, row, 0);
      layout->addWidget(partner, row++, 1);
      dates.push_back(field);
    }
    for (int id : {kRun1, kRun2}) {
      auto* field = new RunningHoursEdit(kRed, kWhite, kBlue, kWhite, id, 17520, this);
      field->setObjectName(QString("running%1").arg(id));
      field->SetOwner(this);
      RegisterControl(id, field);
      layout->addWidget(field, row++, 0);
      runs.push_back(field);
    }
    date_button = new SelfHidingButton(this);
    date_button->setObjectName("setTodayButton");
    date_button->setText("Set today to install date");
    run_button = new SelfHidingButton(this);
    run_button->setObjectName("setZeroButton");
    run_button->setText("Set 0 to running");
    ok = new QPushButton("OK", this);
    ok->setObjectName("okButton");
    layout->addWidget(date_button, row, 0);
    layout->addWidget(run_button, row++, 1);
    layout->addWidget(ok, row, 0);
    date_button->hide();
    run_button->hide();
    RegisterControl(kOkControl, ok);
  }

  QWidget* HelpButton(int button) override {
    return button == kDateHelpButton      ? date_button
           : button == kRunningHelpButton ? run_button
                                          : nullptr;
  }
  bool IsOwnField(const QWidget* widget, FieldKind kind) override {
    if (kind == FieldKind::kInstallDate) {
      return std::find(dates.begin(), dates.end(), widget) != dates.end();
    }
    return std::find(runs.begin(), runs.end(), widget) != runs.end();
  }
  void SetActiveField(ColourEdit* field) override { active = field; }
  void SetFieldText(int control, const QString& text) override { SetControlText(control, text); }
  Clock* FieldClock() override { return clock; }

  Clock* clock;
  std::vector<InstallDateEdit*> dates;
  std::vector<RunningHoursEdit*> runs;
  SelfHidingButton* date_button;
  SelfHidingButton* run_button;
  QPushButton* ok;
  ColourEdit* active = nullptr;
};

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = std::make_unique<FieldDialog>(&prompter_, &clock_);
    dialog_->show();
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  }
  static QColor TextColour(QWidget* w) { return w->palette().color(QPalette::Text); }
  static QColor BaseColour(QWidget* w) { return w->palette().color(QPalette::Base); }

  RecordingPrompter prompter_;
  FakeClock clock_{LocalDateTime{2010, 3, 31, 12, 0, 0, 0}};
  std::unique_ptr<FieldDialog> dialog_;
};

TEST_F(FieldTest, ChangedAndAlertColoursWithTheAlertWinning) {
  ColourEdit* f = dialog_->runs[0];
  const QColor default_text = TextColour(f);
  f->setText("100");
  f->SetReferenceText("100");
  EXPECT_EQ(f->colour(), FieldColour::kDefault);
  EXPECT_EQ(TextColour(f), default_text);

  f->setText("101");
  EXPECT_EQ(f->colour(), FieldColour::kChanged);
  EXPECT_EQ(TextColour(f), kBlue);
  EXPECT_EQ(BaseColour(f), kWhite);

  f->SetAlert(true);
  EXPECT_EQ(f->colour(), FieldColour::kAlert);
  EXPECT_EQ(TextColour(f), kRed);
  dialog_->runs[1]->SetReferenceText("0");
  dialog_->runs[1]->setText("5");
  SaveScreenshot(dialog_.get(), "fields_alert_and_changed");

  f->SetAlert(false);
  f->setText("100");
  EXPECT_EQ(f->colour(), FieldColour::kDefault);
  EXPECT_EQ(TextColour(f), default_text);
  SaveScreenshot(dialog_.get(), "fields_default");
}

TEST_F(FieldTest, RunningFieldTurnsRedOnLeavingAtItsLimit) {
  RunningHoursEdit* f = dialog_->runs[0];
  f->setText("17519");
  f->SetReferenceText("17519");
  f->setFocus();
  dialog_->ok->setFocus();
  EXPECT_FALSE(f->alert());
  EXPECT_EQ(f->colour(), FieldColour::kDefault);

  f->setFocus();
  f->setText("17520");
  EXPECT_EQ(f->colour(), FieldColour::kChanged);
  dialog_->ok->setFocus();
  EXPECT_TRUE(f->alert());
  EXPECT_EQ(TextColour(f), kRed);
}

TEST_F(FieldTest, InstallDateShowsNextChangeAndAlertsOnceItHasPassed) {
  InstallDateEdit* f = dialog_->dates[0];
  f->setText("2008/4/1");
  f->SetReferenceText("2008/04/01");
  f->setFocus();
  dialog_->ok->setFocus();
  EXPECT_EQ(f->text(), "2008/04/01");  // rewritten in the stored form
  EXPECT_EQ(dialog_->ControlText(kNext1), "2010/04/01");
  EXPECT_FALSE(f->alert());
  EXPECT_EQ(f->colour(), FieldColour::kDefault);

  clock_.Set(LocalDateTime{2010, 4, 1, 0, 0, 1, 0});
  f->Recompute(false);
  EXPECT_TRUE(f->alert());
  EXPECT_EQ(TextColour(f), kRed);
  SaveScreenshot(dialog_.get(), "fields_alert");

  f->setText("abc");  // not a date: no next change, the mark stays
  f->Recompute(true);
  EXPECT_EQ(dialog_->ControlText(kNext1), QString(kNoNextChange));
  EXPECT_TRUE(f->alert());
  EXPECT_EQ(f->text(), "abc");

  f->setText("");
  f->Recompute(true);
  EXPECT_FALSE(f->alert());
}

TEST_F(FieldTest, HelpButtonStaysWithinFieldsOfOneKindAndItsButton) {
  InstallDateEdit* d1 = dialog_->dates[0];
  InstallDateEdit* d2 = dialog_->dates[1];
  dialog_->ok->setFocus();
  QSignalSpy spy1(d1, &ColourEdit::helpButtonChanged);

  d1->setFocus();
  EXPECT_TRUE(dialog_->date_button->isVisible());
  EXPECT_EQ(dialog_->active, d1);
  ASSERT_EQ(spy1.count(), 1);
  EXPECT_EQ(spy1[0][0].toInt(), kDateHelpButton);
  EXPECT_TRUE(spy1[0][1].toBool());

  d2->setFocus();  // same kind: kept
  EXPECT_TRUE(dialog_->date_button->isVisible());
  EXPECT_EQ(dialog_->active, d2);
  EXPECT_TRUE(spy1.last()[1].toBool());

  dialog_->date_button->setFocus();  // its own button: kept, d2 stays active
  EXPECT_TRUE(dialog_->date_button->isVisible());
  EXPECT_EQ(dialog_->active, d2);

  dialog_->ok->setFocus();  // the button hides itself on losing the focus
  EXPECT_FALSE(dialog_->date_button->isVisible());

  d1->setFocus();
  dialog_->runs[0]->setFocus();  // a field of the other kind: hidden, then the other button
  EXPECT_FALSE(dialog_->date_button->isVisible());
  EXPECT_TRUE(dialog_->run_button->isVisible());
  EXPECT_EQ(dialog_->active, dialog_->runs[0]);
  EXPECT_EQ(spy1.last()[0].toInt(), kDateHelpButton);
  EXPECT_FALSE(spy1.last()[1].toBool());

  dialog_->ok->setFocus();
  EXPECT_FALSE(dialog_->run_button->isVisible());
  EXPECT_EQ(dialog_->active, nullptr);
}

}  // namespace
}  // namespace quillon::gui
