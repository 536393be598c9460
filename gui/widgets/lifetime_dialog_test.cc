#include "gui/widgets/lifetime_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <map>
#include <string>
#include <vector>

#include "common/settings/schema.h"
#include "gui/core/testing/recording_prompter.h"
#include "gui/widgets/testing/qt_environment.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/memory_store.h"

namespace quillon::gui {
namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

class LifetimeDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_.SetDword(kRootKey, "LifeTime", 30000);
    store_.SetDword(kLimitKey, "CPU_FAN", 17520);
    store_.SetDword(kLimitKey, "CAIS_FAN", 0);
    store_.SetDword(kLimitKey, "PSU", 43800);
    store_.SetDword(kLimitKey, "UPS", 17520);
    store_.SetDword(kCurrentKey, "CPU_FAN", 17600);
    store_.SetDword(kCurrentKey, "PSU", 1200);
    store_.SetDword(kSetupDateKey, "RAIDCount", 3);
    for (int n = 1; n <= 16; ++n) {
      char name[8];
      snprintf(name, sizeof name, "RAID%02d", n);
      store_.SetDword(kLimitKey, name, 26280);
    }
    store_.SetText(kSetupDateKey, "RAID01", "2009/06/01");
    store_.SetText(kSetupDateKey, "UPS", "2008/04/01");
  }

  void Open(int language) {
    dialog_ = std::make_unique<LifetimeDialog>(nullptr, language, &store_, &clock_, &prompter_,
                                               &psu_, [this](const char* request, size_t size) {
                                                 requests_.emplace_back(request, size);
                                                 return kOk;
                                               });
    dialog_->show();
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  }
  template <typename T>
  T* Find(const char* name) {
    T* w = dialog_->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QString Text(int control) { return dialog_->ControlText(control); }
  QString Hint() { return Find<QLabel>("hintText")->text(); }
  static QColor TextColour(QWidget* w) { return w->palette().color(QPalette::Text); }

  MemoryStore store_;
  FakeClock clock_{LocalDateTime{2010, 3, 31, 12, 0, 0, 0}};
  RecordingPrompter prompter_;
  PsuProgramState psu_;
  std::vector<std::string> requests_;
  std::unique_ptr<LifetimeDialog> dialog_;
};

TEST_F(LifetimeDialogTest, RowsWithoutALifeAndBatteriesNotPresentAreDisabled) {
  Open(kEnglish);
  EXPECT_EQ(dialog_->windowTitle(), "Component life time information Browse/Setting");
  // The housing fans have no life: label, field, life and box disabled, nothing shown.
  EXPECT_FALSE(dialog_->running_field(kRowCaisFan)->isEnabled());
  EXPECT_FALSE(Find<QLabel>("runningLabelCaisFan")->isEnabled());
  EXPECT_FALSE(Find<QLabel>("lifeTimeCaisFan")->isEnabled());
  EXPECT_FALSE(Find<QCheckBox>("runningConfirmCaisFan")->isEnabled());
  EXPECT_EQ(dialog_->running_field(kRowCaisFan)->text(), "");
  EXPECT_EQ(Find<QLabel>("lifeTimeCaisFan")->text(), "");
  EXPECT_TRUE(dialog_->running_field(kRowCpuFan)->isEnabled());
  EXPECT_EQ(dialog_->running_field(kRowCpuFan)->text(), "17600");
  EXPECT_EQ(Find<QLabel>("lifeTimeCpuFan")->text(), "17520");
  EXPECT_TRUE(dialog_->running_field(kRowCpuFan)->alert());  // 17600 >= 17520
  EXPECT_EQ(dialog_->running_field(kRowServer)->text(), "30000");
  // RAIDCount 3: RAID#04..#16 disabled, the UPS always enabled.
  for (int row = 0; row < 16; ++row) {
    EXPECT_EQ(dialog_->date_field(row)->isEnabled(), row < 3) << row;
  }
  EXPECT_TRUE(dialog_->date_field(kUpsDateRow)->isEnabled());
  EXPECT_EQ(Find<QLabel>("dateLabelRaid16")->text(), "Battery(RAID#16)");
  EXPECT_EQ(Find<QLabel>("dateLabelUps")->text(), "UPS(BBU)");
  EXPECT_EQ(Find<QLabel>("runningLabelCaisFan")->text(), "Housing FAN");
  EXPECT_EQ(Find<QLabel>("runningLabelServer")->text(), "Server Running");
  // Neither PSU toggle without a PSU check, nor any editing help at the start.
  EXPECT_FALSE(Find<QPushButton>("psuEnableButton")->isVisible());
  EXPECT_FALSE(Find<QPushButton>("psuDisableButton")->isVisible());
  EXPECT_FALSE(Find<QPushButton>("setTodayButton")->isVisible());
  EXPECT_FALSE(Find<QPushButton>("setZeroButton")->isVisible());
  EXPECT_EQ(Hint(), "");
}

TEST_F(LifetimeDialogTest, NextChangeIsTheInstallDatePlusTheLifeAndTurnsRedOnceItHasPassed) {
  Open(kEnglish);
  InstallDateEdit* ups = dialog_->date_field(kUpsDateRow);
  EXPECT_EQ(Text(kNextChangeBase + kUpsDateRow), "2010/04/01");
  EXPECT_FALSE(ups->alert());
  EXPECT_EQ(ups->colour(), FieldColour::kDefault);
  // An empty date shows ten spaces and no mark.
  EXPECT_EQ(Text(kNextChangeBase + 1), "          ");
  EXPECT_FALSE(dialog_->date_field(1)->alert());

  clock_.Set(LocalDateTime{2010, 4, 1, 0, 0, 1, 0});
  Open(kEnglish);
  ups = dialog_->date_field(kUpsDateRow);
  EXPECT_TRUE(ups->alert());
  EXPECT_EQ(TextColour(ups), kRed);
}

TEST_F(LifetimeDialogTest, HelpButtonsFollowTheFocusAndSetTheActiveField) {
  Open(kEnglish);
  QPushButton* today = Find<QPushButton>("setTodayButton");
  QPushButton* zero = Find<QPushButton>("setZeroButton");
  InstallDateEdit* raid2 = dialog_->date_field(1);

  raid2->setFocus();
  EXPECT_TRUE(today->isVisible());
  EXPECT_EQ(today->text(), "Set today to install date");
  EXPECT_EQ(Hint(), "Change Setup date by the[Set today to install date] button or the key board");
  EXPECT_EQ(dialog_->active_field(), raid2);

  QTest::mouseClick(today, Qt::LeftButton);
  EXPECT_EQ(raid2->text(), "2010/03/31");
  EXPECT_EQ(Text(kNextChangeBase + 1), "2013/03/30");  // 26280 hours later
  EXPECT_EQ(raid2->colour(), FieldColour::kChanged);
  EXPECT_EQ(TextColour(raid2), kBlue);
  EXPECT_NE(QApplication::focusWidget(), raid2);  // the focus moved on

  RunningHoursEdit* cpu = dialog_->running_field(kRowCpuFan);
  cpu->setFocus();
  EXPECT_FALSE(today->isVisible());
  EXPECT_TRUE(zero->isVisible());
  EXPECT_EQ(Hint(), "Change running by the[Set 0 to running] button or the key board");
  QTest::mouseClick(zero, Qt::LeftButton);
  EXPECT_EQ(cpu->text(), "0");
  EXPECT_FALSE(cpu->alert());  // recomputed on leaving the field
  EXPECT_EQ(cpu->colour(), FieldColour::kChanged);
  // The focus moved on to the next running field (the housing fans' is disabled): the help
  // stays with it.
  EXPECT_EQ(QApplication::focusWidget(), dialog_->running_field(kRowPsu));
  EXPECT_TRUE(zero->isVisible());
  Find<QPushButton>("cancelButton")->setFocus();
  EXPECT_FALSE(zero->isVisible());
  EXPECT_EQ(Hint(), "");

  // Japanese hints.
  Open(kJapanese);
  dialog_->date_field(kUpsDateRow)->setFocus();
  EXPECT_EQ(Hint(),
            "搭載日は\n「搭載日を今日にする」ボタンまたはキーボードからの入力で変更できます");
  dialog_->running_field(kRowServer)->setFocus();
  EXPECT_EQ(Hint(),
            "稼動時間は\n「稼動時間を0にする」ボタンまたはキーボードからの入力で変更できます");
  EXPECT_EQ(Find<QPushButton>("setZeroButton")->toolTip(),
            "選択されている項目の稼動時間を0時間にします");
  Find<QPushButton>("okButton")->setFocus();
  EXPECT_EQ(Hint(), "");
}

TEST_F(LifetimeDialogTest, NothingMovesWhenTheEditingHelpShowsOrHides) {
  store_.SetDword(kRootKey, "PsuCheck", 1);
  store_.SetDword(kRootKey, "PsuMonitor", 1);
  for (int language : {kJapanese, kEnglish}) {
    Open(language);
    // Where every control of the dialog is, as laid out after the last change.
    auto places = [&] {
      QApplication::processEvents();
      std::map<QString, QRect> where;
      for (QWidget* w : dialog_->findChildren<QWidget*>()) {
        if (!w->objectName().isEmpty() && w->isVisible()) {
          where[w->objectName()] = QRect(w->mapTo(dialog_.get(), QPoint(0, 0)), w->size());
        }
      }
      return where;
    };
    Find<QPushButton>("okButton")->setFocus();
    const std::map<QString, QRect> without_help = places();
    ASSERT_TRUE(without_help.count("psuDisableButton"));

    for (QWidget* field : {static_cast<QWidget*>(dialog_->date_field(kUpsDateRow)),
                           static_cast<QWidget*>(dialog_->running_field(kRowCpuFan)),
                           static_cast<QWidget*>(dialog_->running_field(kRowServer))}) {
      field->setFocus();
      ASSERT_FALSE(Hint().isEmpty());
      for (const auto& [name, rect] : places()) {
        if (without_help.count(name)) {
          EXPECT_EQ(rect, without_help.at(name))
              << qPrintable(name) << " moved, language " << language;
        }
      }
    }
    Find<QPushButton>("cancelButton")->setFocus();
    EXPECT_EQ(places(), without_help);
  }
}

TEST_F(LifetimeDialogTest, EnablingPsuMonitoringShowsTheHoursSinceTheLastChange) {
  store_.SetDword(kRootKey, "PsuCheck", 1);
  store_.SetDword(kRootKey, "PsuMonitor", 0);
  store_.SetDword(kLimitKey, "PSU", 0);
  store_.SetDword(kLimitKey, "PSU_S", 43800);
  for (uint32_t server : {50000u, 30000u}) {
    store_.SetDword(kRootKey, "LifeTime", server);
    Open(kEnglish);
    RunningHoursEdit* psu = dialog_->running_field(kRowPsu);
    EXPECT_FALSE(psu->isEnabled());
    QPushButton* enable = Find<QPushButton>("psuEnableButton");
    ASSERT_TRUE(enable->isVisible());
    EXPECT_EQ(enable->text(), "Enable to monitor PSU");
    prompter_.AnswerNext(true);
    QTest::mouseClick(enable, Qt::LeftButton);
    EXPECT_EQ(prompter_.boxes().back().text, "Do you want to enable to monitor PSU?");
    EXPECT_EQ(psu->text(), server == 50000 ? "6200" : "30000");
    EXPECT_EQ(Find<QLabel>("lifeTimePsu")->text(), "43800");
    EXPECT_TRUE(psu->isEnabled());
    EXPECT_TRUE(Find<QLabel>("runningLabelPsu")->isEnabled());
    EXPECT_FALSE(enable->isVisible());
    EXPECT_TRUE(Find<QPushButton>("psuDisableButton")->isVisible());
    EXPECT_EQ(psu_.psu_check, 2u);
  }
}

TEST_F(LifetimeDialogTest, DisablingPsuMonitoringEmptiesAndDisablesThePsuRow) {
  store_.SetDword(kRootKey, "PsuCheck", 2);
  store_.SetDword(kRootKey, "PsuMonitor", 1);
  store_.SetDword(kNotifyDonePreKey, "PSU", 1);
  store_.SetDword(kNotifyDonePreStopKey, "PSU", 1);
  Open(kEnglish);
  QCheckBox* confirm = Find<QCheckBox>("runningConfirmPsu");
  EXPECT_TRUE(confirm->isEnabled());
  EXPECT_TRUE(confirm->isChecked());

  // "Set 0 to running" in the PSU field takes the help away at once.
  RunningHoursEdit* psu = dialog_->running_field(kRowPsu);
  psu->setFocus();
  QPushButton* zero = Find<QPushButton>("setZeroButton");
  QTest::mouseClick(zero, Qt::LeftButton);
  EXPECT_EQ(psu->text(), "0");
  EXPECT_FALSE(zero->isVisible());
  EXPECT_EQ(Hint(), "");

  QPushButton* disable = Find<QPushButton>("psuDisableButton");
  ASSERT_TRUE(disable->isVisible());
  prompter_.AnswerNext(true);
  QTest::mouseClick(disable, Qt::LeftButton);
  EXPECT_EQ(prompter_.boxes().back().text, "Do you want to disable to monitor PSU?");
  EXPECT_EQ(psu->text(), "");
  EXPECT_EQ(Find<QLabel>("lifeTimePsu")->text(), "");
  EXPECT_FALSE(psu->isEnabled());
  EXPECT_FALSE(Find<QLabel>("runningLabelPsu")->isEnabled());
  EXPECT_FALSE(confirm->isEnabled());
  EXPECT_FALSE(confirm->isChecked());
  EXPECT_TRUE(Find<QPushButton>("psuEnableButton")->isVisible());
  EXPECT_EQ(store_.GetDword(kRootKey, "PsuMonitor"), 1u);  // nothing written before OK
}

TEST_F(LifetimeDialogTest, InvalidFieldsAbandonTheOk) {
  Open(kEnglish);
  dialog_->running_field(kRowCpuFan)->setText("12a");
  QTest::mouseClick(Find<QPushButton>("okButton"), Qt::LeftButton);
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].text, "Enter 0 to 99999.");
  EXPECT_EQ(prompter_.boxes()[0].caption, "Component life time information Browse/Setting");
  EXPECT_EQ(QApplication::focusWidget(), dialog_->running_field(kRowCpuFan));
  EXPECT_TRUE(dialog_->isVisible());

  dialog_->running_field(kRowCpuFan)->setText("0");
  dialog_->date_field(kUpsDateRow)->setText("abc");
  QTest::mouseClick(Find<QPushButton>("okButton"), Qt::LeftButton);
  EXPECT_EQ(prompter_.boxes().back().text, "Invalid Date.");
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_TRUE(requests_.empty());
}

TEST_F(LifetimeDialogTest, OkSavesAndClosesAfterYes) {
  Open(kEnglish);
  dialog_->running_field(kRowCpuFan)->setText("0");
  prompter_.AnswerNext(true);
  QTest::mouseClick(Find<QPushButton>("okButton"), Qt::LeftButton);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN", 99), 0u);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0][0], '1');
}

TEST_F(LifetimeDialogTest, ScreenshotsWithChangedAndAlertMarks) {
  store_.SetDword(kNotifyDonePreKey, "RAID01", 1);
  store_.SetDword(kNotifyDonePreStopKey, "RAID01", 1);
  store_.SetDword(kRootKey, "PsuCheck", 1);
  store_.SetDword(kRootKey, "PsuMonitor", 1);
  clock_.Set(LocalDateTime{2010, 4, 2, 9, 0, 0, 0});
  for (int language : {kEnglish, kJapanese}) {
    Open(language);
    // A changed date and a changed running number; the UPS and CPU fan are over their lives.
    dialog_->date_field(1)->setFocus();
    dialog_->date_field(1)->setText("2010/4/2");
    dialog_->running_field(kRowPsu)->setFocus();
    dialog_->running_field(kRowPsu)->setText("0");
    dialog_->running_field(kRowServer)->setFocus();  // the help stays up for the picture
    EXPECT_EQ(dialog_->date_field(1)->text(), "2010/04/02");
    EXPECT_EQ(dialog_->date_field(1)->colour(), FieldColour::kChanged);
    EXPECT_EQ(dialog_->running_field(kRowPsu)->colour(), FieldColour::kChanged);
    EXPECT_EQ(dialog_->date_field(kUpsDateRow)->colour(), FieldColour::kAlert);
    EXPECT_EQ(dialog_->running_field(kRowCpuFan)->colour(), FieldColour::kAlert);
    EXPECT_FALSE(SaveScreenshot(dialog_.get(), language == kEnglish ? "lifetime_en" : "lifetime_ja")
                     .isEmpty());
  }
}

}  // namespace
}  // namespace quillon::gui
