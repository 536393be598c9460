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
    box_ = new QCheckBox(this);
    box_->setObjectName("box");
    hours_ = new QLineEdit(this);
    hours_->setObjectName("hours");
    date_ = new QLineEdit(this);
    date_->setObjectName("date");
    note_ = new QLabel(this);
    note_->setObjectName("note");
    ok_ = new QPushButton("OK", this);
    ok_->setObjectName("okButton");
    cancel_ = new QPushButton("CANCEL", this);
    cancel_->setObjectName("cancelButton");
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : std::initializer_list<QWidget*>{box_, hours_, date_, note_, ok_, cancel_}) {
      layout->addWidget(w);
    }
    RegisterControl(kBox, box_);
    RegisterControl(kHours, hours_);
    RegisterControl(kDate, date_);
    RegisterControl(kNote, note_);
    RegisterControl(kOkControl, ok_);
    RegisterControl(kCancelControl, cancel_);
    connect(ok_, &QPushButton::clicked, this, &BaseDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &BaseDialog::reject);
  }

  bool ExchangeData(bool save) override {
    ++exchanges_;
    return ExchangeCheckBox(save, kBox, &flag_) &&
           ExchangeDigits(save, kHours, &hours_value_, 0, 99999) &&
           ExchangeDateText(save, kDate, date_value_, sizeof date_value_);
  }
  void MaintenanceAction() override { ++maintenance_; }

  QCheckBox* box_;
  QLineEdit* hours_;
  QLineEdit* date_;
  QLabel* note_;
  QPushButton* ok_;
  QPushButton* cancel_;
  uint32_t flag_ = 0;
  uint32_t hours_value_ = 5;
  char date_value_[16] = "2008/04/01";
  int exchanges_ = 0;
  int maintenance_ = 0;
};

class BaseDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = std::make_unique<TestDialog>(kEnglish, &prompter_);
    dialog_->ExchangeData(false);
    dialog_->exchanges_ = 0;
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
  Focus(dialog_->box_);
  QTest::keyClick(dialog_->box_, Qt::Key_Return);
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), dialog_->hours_);
  EXPECT_EQ(dialog_->exchanges_, 0);

  QTest::keyClick(dialog_->hours_, Qt::Key_Enter);  // the keypad's Enter is Return too
  EXPECT_EQ(QApplication::focusWidget(), dialog_->date_);

  Focus(dialog_->cancel_);
  QTest::keyClick(dialog_->cancel_, Qt::Key_Return);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_EQ(dialog_->exchanges_, 0);

  dialog_->show();
  dialog_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  dialog_->box_->setChecked(true);
  Focus(dialog_->ok_);
  QTest::keyClick(dialog_->ok_, Qt::Key_Return);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(dialog_->exchanges_, 1);
  EXPECT_EQ(dialog_->flag_, 1u);
}

TEST_F(BaseDialogTest, EscapeCancelsFromAnyControl) {
  Focus(dialog_->hours_);
  QTest::keyClick(dialog_->hours_, Qt::Key_Escape);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
}

TEST_F(BaseDialogTest, ArrowsMoveBetweenControlsEvenInsideFields) {
  Focus(dialog_->hours_);
  QTest::keyClick(dialog_->hours_, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), dialog_->date_);
  QTest::keyClick(dialog_->date_, Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), dialog_->hours_);
  QTest::keyClick(dialog_->hours_, Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), dialog_->box_);
}

TEST_F(BaseDialogTest, F1RunsMaintenanceOnlyWithShiftCtrlAndAlt) {
  Focus(dialog_->hours_);
  QTest::keyClick(dialog_->hours_, Qt::Key_F1);
  QTest::keyClick(dialog_->hours_, Qt::Key_F1, Qt::ShiftModifier | Qt::ControlModifier);
  QTest::keyClick(dialog_->hours_, Qt::Key_F1, Qt::ShiftModifier | Qt::AltModifier);
  QTest::keyClick(dialog_->hours_, Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(dialog_->maintenance_, 0);
  EXPECT_TRUE(dialog_->isVisible());
  QTest::keyClick(dialog_->hours_, Qt::Key_F1,
                  Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(dialog_->maintenance_, 1);
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), dialog_->hours_);
}

TEST_F(BaseDialogTest, NumberOutOfRangeShowsTheRangeMessageAndFocusesTheField) {
  dialog_->hours_->setText("12a");
  Focus(dialog_->ok_);
  QTest::keyClick(dialog_->ok_, Qt::Key_Return);
  EXPECT_TRUE(dialog_->isVisible());
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].kind, RecordingPrompter::Kind::kPlain);
  EXPECT_EQ(prompter_.boxes()[0].text, "Enter 0 to 99999.");
  EXPECT_EQ(prompter_.boxes()[0].caption, U(dialog_->windowTitle()));
  EXPECT_EQ(QApplication::focusWidget(), dialog_->hours_);
  EXPECT_EQ(dialog_->hours_value_, 5u);
}

TEST_F(BaseDialogTest, DatesAreSavedInTheStoredForm) {
  dialog_->date_->setText("2009/2/3");
  dialog_->accept();
  EXPECT_STREQ(dialog_->date_value_, "2009/02/03");

  dialog_->date_->setText("");
  dialog_->accept();
  EXPECT_STREQ(dialog_->date_value_, "1899/12/30");

  dialog_->show();
  dialog_->date_->setText("abc");
  dialog_->accept();
  EXPECT_TRUE(dialog_->isVisible());
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].text, "Invalid Date.");
  EXPECT_STREQ(dialog_->date_value_, "1899/12/30");
}

TEST_F(BaseDialogTest, JapaneseValidationMessages) {
  dialog_->set_language(kJapanese);
  dialog_->hours_->setText("100000");
  dialog_->accept();
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].text, "0～99999を入力してください。");
}

TEST_F(BaseDialogTest, CaptionsApplyTheFirstRowInTheLanguage) {
  dialog_->SetTitleFromTable(kTable);
  EXPECT_EQ(dialog_->windowTitle(), "Test dialog");
  EXPECT_TRUE(dialog_->ApplyCaption(kBox, kTable));
  EXPECT_EQ(dialog_->box_->text(), "Display to Screen");
  EXPECT_EQ(dialog_->box_->toolTip(), "");
  EXPECT_TRUE(dialog_->ApplyCaption(kNote, kTable, 12345));
  EXPECT_EQ(dialog_->note_->text(), "12345 Hour(s)");
  EXPECT_FALSE(dialog_->ApplyCaption(kHours, kTable));  // no row: untouched
  EXPECT_EQ(dialog_->hours_->text(), "5");

  dialog_->set_language(kJapanese);
  dialog_->SetTitleFromTable(kTable);
  EXPECT_EQ(dialog_->windowTitle(), "試験");
  EXPECT_TRUE(dialog_->ApplyCaption(kBox, kTable));
  EXPECT_EQ(dialog_->box_->text(), "画面への表示");
  EXPECT_EQ(dialog_->box_->toolTip(), "画面のヒント");
}

TEST_F(BaseDialogTest, KeysOfAnotherWindowAreLeftAlone) {
  TestDialog other(kEnglish, &prompter_);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  other.hours_->setFocus();
  QTest::keyClick(other.hours_, Qt::Key_F1,
                  Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(other.maintenance_, 1);
  EXPECT_EQ(dialog_->maintenance_, 0);
  QTest::keyClick(other.hours_, Qt::Key_Escape);
  EXPECT_FALSE(other.isVisible());
  EXPECT_TRUE(dialog_->isVisible());
}

}  // namespace
}  // namespace quillon::gui
