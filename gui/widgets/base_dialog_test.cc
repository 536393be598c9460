#include "gui/widgets/base_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "gui/core/testing/recording_prompter.h"
#include "gui/widgets/testing/qt_environment.h"

namespace quillon::gui {
namespace {

constexpr int kBox = 1033;
constexpr int kHours = 1100;
constexpr int kDate = 1101;
constexpr int kNote = 1102;

constexpr CaptionRow kTable[] = {
    {0, "試験", "Test dialog", "", ""},
    {kBox, "画面への表示", "Display to Screen", "画面のヒント", ""},
    {kNote, "%lu 時間", "%lu Hour(s)", "", ""},
    {kBox, "二番目", "second row", "", ""},
};

// A dialog with OK, CANCEL, a check box, a number field and a date field.
class TestDialog : public BaseDialog {
 public:
  TestDialog(int language, Prompter* prompter)
      : BaseDialog(nullptr, kOkControl, kCancelControl, language, prompter) {
    box = new QCheckBox(this);
    box->setObjectName("box");
    hours = new QLineEdit(this);
    hours->setObjectName("hours");
    date = new QLineEdit(this);
    date->setObjectName("date");
    note = new QLabel(this);
    note->setObjectName("note");
    ok = new QPushButton("OK", this);
    ok->setObjectName("okButton");
    cancel = new QPushButton("CANCEL", this);
    cancel->setObjectName("cancelButton");
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : std::initializer_list<QWidget*>{box, hours, date, note, ok, cancel}) {
      layout->addWidget(w);
    }
    RegisterControl(kBox, box);
    RegisterControl(kHours, hours);
    RegisterControl(kDate, date);
    RegisterControl(kNote, note);
    RegisterControl(kOkControl, ok);
    RegisterControl(kCancelControl, cancel);
    connect(ok, &QPushButton::clicked, this, &BaseDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &BaseDialog::reject);
  }

  bool ExchangeData(bool save) override {
    ++exchanges;
    return ExchangeCheckBox(save, kBox, &flag) &&
           ExchangeDigits(save, kHours, &hours_value, 0, 99999) &&
           ExchangeDateText(save, kDate, date_value, sizeof date_value);
  }
  void MaintenanceAction() override { ++maintenance; }

  QCheckBox* box;
  QLineEdit* hours;
  QLineEdit* date;
  QLabel* note;
  QPushButton* ok;
  QPushButton* cancel;
  uint32_t flag = 0;
  uint32_t hours_value = 5;
  char date_value[16] = "2008/04/01";
  int exchanges = 0;
  int maintenance = 0;
};

class BaseDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = std::make_unique<TestDialog>(kEnglish, &prompter_);
    dialog_->ExchangeData(false);
    dialog_->exchanges = 0;
    dialog_->show();
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  }
  void Focus(QWidget* w) {
    w->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), w);
  }

  RecordingPrompter prompter_;
  std::unique_ptr<TestDialog> dialog_;
};

TEST_F(BaseDialogTest, ReturnOnOkSavesOnCancelCancelsElsewhereMovesOn) {
  Focus(dialog_->box);
  QTest::keyClick(dialog_->box, Qt::Key_Return);
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), dialog_->hours);
  EXPECT_EQ(dialog_->exchanges, 0);

  QTest::keyClick(dialog_->hours, Qt::Key_Enter);  // the keypad's Enter is Return too
  EXPECT_EQ(QApplication::focusWidget(), dialog_->date);

  Focus(dialog_->cancel);
  QTest::keyClick(dialog_->cancel, Qt::Key_Return);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_EQ(dialog_->exchanges, 0);

  dialog_->show();
  dialog_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  dialog_->box->setChecked(true);
  Focus(dialog_->ok);
  QTest::keyClick(dialog_->ok, Qt::Key_Return);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(dialog_->exchanges, 1);
  EXPECT_EQ(dialog_->flag, 1u);
}

TEST_F(BaseDialogTest, EscapeCancelsFromAnyControl) {
  Focus(dialog_->hours);
  QTest::keyClick(dialog_->hours, Qt::Key_Escape);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
}

TEST_F(BaseDialogTest, ArrowsMoveBetweenControlsEvenInsideFields) {
  Focus(dialog_->hours);
  QTest::keyClick(dialog_->hours, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), dialog_->date);
  QTest::keyClick(dialog_->date, Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), dialog_->hours);
  QTest::keyClick(dialog_->hours, Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), dialog_->box);
}

TEST_F(BaseDialogTest, F1RunsMaintenanceOnlyWithShiftCtrlAndAlt) {
  Focus(dialog_->hours);
  QTest::keyClick(dialog_->hours, Qt::Key_F1);
  QTest::keyClick(dialog_->hours, Qt::Key_F1, Qt::ShiftModifier | Qt::ControlModifier);
  QTest::keyClick(dialog_->hours, Qt::Key_F1, Qt::ShiftModifier | Qt::AltModifier);
  QTest::keyClick(dialog_->hours, Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(dialog_->maintenance, 0);
  EXPECT_TRUE(dialog_->isVisible());
  QTest::keyClick(dialog_->hours, Qt::Key_F1,
                  Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(dialog_->maintenance, 1);
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), dialog_->hours);
}

TEST_F(BaseDialogTest, NumberOutOfRangeShowsTheRangeMessageAndFocusesTheField) {
  dialog_->hours->setText("12a");
  Focus(dialog_->ok);
  QTest::keyClick(dialog_->ok, Qt::Key_Return);
  EXPECT_TRUE(dialog_->isVisible());
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].kind, RecordingPrompter::Kind::kPlain);
  EXPECT_EQ(prompter_.boxes()[0].text, "Enter 0 to 99999.");
  EXPECT_EQ(prompter_.boxes()[0].caption, U(dialog_->windowTitle()));
  EXPECT_EQ(QApplication::focusWidget(), dialog_->hours);
  EXPECT_EQ(dialog_->hours_value, 5u);
}

TEST_F(BaseDialogTest, DatesAreSavedInTheStoredForm) {
  dialog_->date->setText("2009/2/3");
  dialog_->accept();
  EXPECT_STREQ(dialog_->date_value, "2009/02/03");

  dialog_->date->setText("");
  dialog_->accept();
  EXPECT_STREQ(dialog_->date_value, "1899/12/30");

  dialog_->show();
  dialog_->date->setText("abc");
  dialog_->accept();
  EXPECT_TRUE(dialog_->isVisible());
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].text, "Invalid Date.");
  EXPECT_STREQ(dialog_->date_value, "1899/12/30");
}

TEST_F(BaseDialogTest, JapaneseValidationMessages) {
  dialog_->set_language(kJapanese);
  dialog_->hours->setText("100000");
  dialog_->accept();
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].text, "0～99999を入力してください。");
}

TEST_F(BaseDialogTest, CaptionsApplyTheFirstRowInTheLanguage) {
  dialog_->SetTitleFromTable(kTable);
  EXPECT_EQ(dialog_->windowTitle(), "Test dialog");
  EXPECT_TRUE(dialog_->ApplyCaption(kBox, kTable));
  EXPECT_EQ(dialog_->box->text(), "Display to Screen");
  EXPECT_EQ(dialog_->box->toolTip(), "");
  EXPECT_TRUE(dialog_->ApplyCaption(kNote, kTable, 12345));
  EXPECT_EQ(dialog_->note->text(), "12345 Hour(s)");
  EXPECT_FALSE(dialog_->ApplyCaption(kHours, kTable));  // no row: untouched
  EXPECT_EQ(dialog_->hours->text(), "5");

  dialog_->set_language(kJapanese);
  dialog_->SetTitleFromTable(kTable);
  EXPECT_EQ(dialog_->windowTitle(), "試験");
  EXPECT_TRUE(dialog_->ApplyCaption(kBox, kTable));
  EXPECT_EQ(dialog_->box->text(), "画面への表示");
  EXPECT_EQ(dialog_->box->toolTip(), "画面のヒント");
}

TEST_F(BaseDialogTest, KeysOfAnotherWindowAreLeftAlone) {
  TestDialog other(kEnglish, &prompter_);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  other.hours->setFocus();
  QTest::keyClick(other.hours, Qt::Key_F1,
                  Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(other.maintenance, 1);
  EXPECT_EQ(dialog_->maintenance, 0);
  QTest::keyClick(other.hours, Qt::Key_Escape);
  EXPECT_FALSE(other.isVisible());
  EXPECT_TRUE(dialog_->isVisible());
}

}  // namespace
}  // namespace quillon::gui
