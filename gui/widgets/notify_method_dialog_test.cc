#include "gui/widgets/notify_method_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "common/settings/schema.h"
#include "gui/core/testing/recording_prompter.h"
#include "gui/widgets/testing/qt_environment.h"
#include "platform/fakes/failing_store.h"
#include "platform/fakes/memory_store.h"

namespace quillon::gui {
namespace {

class NotifyMethodDialogTest : public ::testing::Test {
 protected:
  void Open(int language, Store* store) {
    dialog_ = std::make_unique<NotifyMethodDialog>(nullptr, language, store, &prompter_);
    dialog_->show();
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    writes_at_open_ = store_.write_count();
  }
  QCheckBox* Lcd() { return dialog_->findChild<QCheckBox*>("lcdCheck"); }
  QCheckBox* Screen() { return dialog_->findChild<QCheckBox*>("screenCheck"); }
  QPushButton* Ok() { return dialog_->findChild<QPushButton*>("okButton"); }
  QPushButton* Cancel() { return dialog_->findChild<QPushButton*>("cancelButton"); }
  void Press(QWidget* w, int key) {
    w->setFocus();
    QTest::keyClick(w, static_cast<Qt::Key>(key));
  }

  MemoryStore store_;
  RecordingPrompter prompter_;
  std::unique_ptr<NotifyMethodDialog> dialog_;
  int writes_at_open_ = 0;
};

TEST_F(NotifyMethodDialogTest, StoredLcdAndScreenShowAndSaveAsZeroAndOne) {
  store_.SetDword(kNotifyMethodKey, "LCD", 1);
  store_.SetDword(kNotifyMethodKey, "DSP", 1);
  Open(kEnglish, &store_);
  EXPECT_FALSE(Lcd()->isChecked());
  EXPECT_FALSE(Lcd()->isEnabled());
  EXPECT_TRUE(Screen()->isChecked());
  EXPECT_EQ(store_.write_count(), writes_at_open_);
  Press(Ok(), Qt::Key_Return);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(store_.GetDword(kNotifyMethodKey, "LCD", 99), 0u);
  EXPECT_EQ(store_.GetDword(kNotifyMethodKey, "DSP", 99), 1u);
  EXPECT_TRUE(prompter_.boxes().empty());
}

TEST_F(NotifyMethodDialogTest, TickingScreenAndOkStoresIt) {
  store_.SetDword(kNotifyMethodKey, "DSP", 0);
  Open(kEnglish, &store_);
  EXPECT_FALSE(Screen()->isChecked());
  Screen()->setFocus();
  QTest::keyClick(Screen(), Qt::Key_Space);
  QTest::mouseClick(Ok(), Qt::LeftButton);
  EXPECT_EQ(store_.GetDword(kNotifyMethodKey, "DSP", 99), 1u);
}

TEST_F(NotifyMethodDialogTest, CancelWritesNothing) {
  store_.SetDword(kNotifyMethodKey, "LCD", 1);
  store_.SetDword(kNotifyMethodKey, "DSP", 1);
  Open(kEnglish, &store_);
  const int before = store_.write_count();
  Screen()->setFocus();
  QTest::keyClick(Screen(), Qt::Key_Space);
  Press(Cancel(), Qt::Key_Return);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_EQ(store_.write_count(), before);
  EXPECT_EQ(store_.GetDword(kNotifyMethodKey, "LCD", 99), 1u);
}

TEST_F(NotifyMethodDialogTest, ReturnOnTheScreenBoxMovesOn) {
  Open(kEnglish, &store_);
  const int before = store_.write_count();
  Press(Screen(), Qt::Key_Return);
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), Ok());
  EXPECT_EQ(store_.write_count(), before);
}

TEST_F(NotifyMethodDialogTest, FailedWriteShowsTheStatusAndStaysOpen) {
  FailingStore failing(&store_);
  failing.FailOn("set", "DSP", kErrorAccessDenied);
  Open(kEnglish, &failing);
  Press(Ok(), Qt::Key_Return);
  EXPECT_TRUE(dialog_->isVisible());
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].kind, RecordingPrompter::Kind::kError);
  EXPECT_EQ(prompter_.boxes()[0].caption, "TALVENUI");
  EXPECT_EQ(prompter_.boxes()[0].text,
            "Registration of error notification method failed.\nError code(5)");
  failing.FailAll(kOk);
  Press(Ok(), Qt::Key_Return);  // the operator may try again
  EXPECT_FALSE(dialog_->isVisible());
}

TEST_F(NotifyMethodDialogTest, TextsInBothLanguages) {
  store_.SetDword(kNotifyMethodKey, "DSP", 1);
  Open(kEnglish, &store_);
  EXPECT_EQ(dialog_->windowTitle(), "Error notification method setting");
  EXPECT_EQ(Lcd()->text(), "Display to LCD");
  EXPECT_EQ(Screen()->text(), "Display to Screen");
  EXPECT_EQ(Cancel()->text(), "CANCEL");
  SaveScreenshot(dialog_.get(), "notify_method_en");

  Open(kJapanese, &store_);
  EXPECT_EQ(dialog_->windowTitle(), "障害の通知方法設定");
  EXPECT_EQ(Lcd()->text(), "ＬＣＤへの表示");
  EXPECT_EQ(Screen()->text(), "画面への表示");
  EXPECT_EQ(Screen()->toolTip(), "しきい値越えが発生すると、画面にしきい値越えを表示します。");
  EXPECT_EQ(Ok()->toolTip(), "設定を保存し、メインメニューへ戻ります");
  EXPECT_EQ(Cancel()->text(), "ｷｬﾝｾﾙ");
  SaveScreenshot(dialog_.get(), "notify_method_ja");
}

}  // namespace
}  // namespace quillon::gui
