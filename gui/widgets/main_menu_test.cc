#include "gui/widgets/main_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include "common/settings/schema.h"
#include "gui/core/testing/recording_prompter.h"
#include "gui/widgets/notify_method_dialog.h"
#include "gui/widgets/testing/qt_environment.h"
#include "gui/widgets/version_box.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"

namespace quillon::gui {
namespace {

class MainMenuTest : public ::testing::Test {
 protected:
  void Open(int stored_language) {
    store_.SetDword(kRootKey, "Language", stored_language);
    store_.SetDword(kRootKey, "LifeTime", 12345);
    MainMenuServices services;
    services.store = &store_;
    services.system = &system_;
    services.prompter = &prompter_;
    services.initialise_all = [this](int language) { initialised_.push_back(language); };
    services.open_lifetime = [this](BaseDialog* parent, int language) {
      lifetime_opened_.push_back(language);
      EXPECT_EQ(parent, menu_.get());
    };
    menu_ = std::make_unique<MainMenu>(std::move(services));
    menu_->show();
    menu_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(menu_.get()));
  }
  QPushButton* Button(const char* name) { return menu_->findChild<QPushButton*>(name); }
  QLabel* Hours() { return menu_->findChild<QLabel*>("hoursLabel"); }

  MemoryStore store_;
  FakeSystemInfo system_;
  RecordingPrompter prompter_;
  std::vector<int> initialised_;
  std::vector<int> lifetime_opened_;
  std::unique_ptr<MainMenu> menu_;
};

TEST_F(MainMenuTest, EnglishTextsAndHours) {
  Open(kEnglish);
  EXPECT_EQ(menu_->windowTitle(), "Quillon Main menu");
  EXPECT_EQ(Button("lifetimeButton")->text(), "Component lifetime information Browse/Setting");
  EXPECT_EQ(Button("notifyMethodButton")->text(), "Error notification method setting");
  EXPECT_EQ(Button("exitButton")->text(), "Exit");
  EXPECT_EQ(Button("exitButton")->toolTip(), "");
  EXPECT_EQ(Hours()->text(), "Server Running= 12345 Hour(s)");
  SaveScreenshot(menu_.get(), "main_menu_en");
}

TEST_F(MainMenuTest, JapaneseTextsAndTips) {
  Open(kJapanese);
  EXPECT_EQ(menu_->windowTitle(), "Quillon メインメニュー");
  EXPECT_EQ(Button("lifetimeButton")->text(), "部品寿命情報 参照・設定");
  EXPECT_EQ(Button("lifetimeButton")->toolTip(), "部品寿命情報 参照・設定画面を開きます");
  EXPECT_EQ(Button("notifyMethodButton")->toolTip(), "障害の通知方法設定画面を開きます");
  EXPECT_EQ(Button("exitButton")->text(), "終了");
  EXPECT_EQ(Hours()->text(), "サーバ稼動時間＝ 12345 時間");
  SaveScreenshot(menu_.get(), "main_menu_ja");
}

TEST_F(MainMenuTest, HoursRefreshOnlyOnTheHourlyTick) {
  Open(kEnglish);
  ASSERT_NE(menu_->hours_timer(), nullptr);
  EXPECT_TRUE(menu_->hours_timer()->isActive());
  EXPECT_EQ(menu_->hours_timer()->interval(), 3600000);
  store_.SetDword(kRootKey, "LifeTime", 12346);
  EXPECT_EQ(Hours()->text(), "Server Running= 12345 Hour(s)");
  menu_->OnHourTick();
  EXPECT_EQ(Hours()->text(), "Server Running= 12346 Hour(s)");
  menu_->reject();
  EXPECT_FALSE(menu_->hours_timer()->isActive());
}

TEST_F(MainMenuTest, ReturnOnExitMovesOnAndEscapeEnds) {
  Open(kEnglish);
  QPushButton* exit = Button("exitButton");
  exit->setFocus();
  QTest::keyClick(exit, Qt::Key_Return);
  EXPECT_TRUE(menu_->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), Button("lifetimeButton"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), Button("notifyMethodButton"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), Button("lifetimeButton"));
  EXPECT_TRUE(lifetime_opened_.empty());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(menu_->isVisible());
  EXPECT_EQ(menu_->result(), QDialog::Rejected);
}

TEST_F(MainMenuTest, ReturnShowsTheFocusFrameWhereTheFocusWent) {
  Open(kEnglish);
  QWidget* first = QApplication::focusWidget();
  ASSERT_EQ(first, Button("lifetimeButton"));
  // Qt draws a focus frame only once the focus was moved by the keyboard.
  auto frame_drawn = [](QWidget* w) {
    QStyleOptionButton option;
    option.initFrom(w);
    return (option.state & QStyle::State_HasFocus) &&
           (option.state & QStyle::State_KeyboardFocusChange);
  };
  EXPECT_FALSE(frame_drawn(first));
  QTest::keyClick(first, Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), Button("notifyMethodButton"));
  EXPECT_TRUE(frame_drawn(Button("notifyMethodButton")));
}

TEST_F(MainMenuTest, ExitButtonEndsWithOk) {
  Open(kEnglish);
  QTest::mouseClick(Button("exitButton"), Qt::LeftButton);
  EXPECT_FALSE(menu_->isVisible());
  EXPECT_EQ(menu_->result(), QDialog::Accepted);
}

TEST_F(MainMenuTest, MaintenanceKeyNeedsAllThreeModifiers) {
  Open(kJapanese);
  QWidget* focus = Button("lifetimeButton");
  focus->setFocus();
  QTest::keyClick(focus, Qt::Key_F1);
  QTest::keyClick(focus, Qt::Key_F1, Qt::ShiftModifier | Qt::ControlModifier);
  QTest::keyClick(focus, Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_TRUE(initialised_.empty());
  QTest::keyClick(focus, Qt::Key_F1, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(initialised_, std::vector<int>{kJapanese});
}

TEST_F(MainMenuTest, LifetimeButtonUsesTheSeam) {
  Open(kEnglish);
  QTest::mouseClick(Button("lifetimeButton"), Qt::LeftButton);
  EXPECT_EQ(lifetime_opened_, std::vector<int>{kEnglish});
  EXPECT_TRUE(menu_->isVisible());
}

TEST_F(MainMenuTest, NotifyButtonOpensTheDialogWhereTheMaintenanceKeyDoesNothing) {
  Open(kEnglish);
  QString title;
  bool was_notify_dialog = false;
  OnNextModal([&](QWidget* modal) {
    was_notify_dialog = qobject_cast<NotifyMethodDialog*>(modal) != nullptr;
    ASSERT_NE(modal, nullptr);
    title = modal->windowTitle();
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, Qt::Key_F1, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(focus, Qt::Key_Escape);
  });
  QTest::mouseClick(Button("notifyMethodButton"), Qt::LeftButton);
  EXPECT_TRUE(was_notify_dialog);
  EXPECT_EQ(title, "Error notification method setting");
  EXPECT_TRUE(initialised_.empty());
  EXPECT_TRUE(menu_->isVisible());
}

TEST_F(MainMenuTest, ContextMenuEndsWithSeparatorAndVersionEntry) {
  Open(kEnglish);
  std::unique_ptr<QMenu> menu(menu_->BuildSystemMenu());
  const QList<QAction*> actions = menu->actions();
  ASSERT_GE(actions.size(), 2);
  EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
  EXPECT_EQ(actions.last()->text(), "Version Information(Quillon) (&A)...");

  QString title;
  QStringList labels;
  OnNextModal([&](QWidget* modal) {
    ASSERT_NE(qobject_cast<VersionBox*>(modal), nullptr);
    title = modal->windowTitle();
    for (QLabel* l : modal->findChildren<QLabel*>()) labels << l->text();
    SaveScreenshot(modal, "version_box_en");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // on OK: closes
  });
  menu_->OnSystemCommand(actions.last()->data().toInt());
  EXPECT_EQ(title, "Version Information Quillon");
  EXPECT_TRUE(labels.contains("Quillon  V5.1 L13-03"));
  EXPECT_TRUE(menu_->isVisible());
}

TEST_F(MainMenuTest, JapaneseVersionEntryAndBox) {
  Open(kJapanese);
  std::unique_ptr<QMenu> menu(menu_->BuildSystemMenu());
  EXPECT_EQ(menu->actions().last()->text(), "ﾊﾞｰｼﾞｮﾝ情報(Quillon) (&A)...");
  VersionBox box(menu_.get(), kJapanese, &prompter_);
  EXPECT_EQ(box.windowTitle(), "ﾊﾞｰｼﾞｮﾝ情報 Quillon");
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  SaveScreenshot(&box, "version_box_ja");
  SaveScreenshot(menu.get(), "context_menu_ja");
}

}  // namespace
}  // namespace quillon::gui
