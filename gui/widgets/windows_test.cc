// What holds for every window of TALVENUI in both languages: it fits an 800x600 screen (a
// server's console) with its frame, and a screen reader finds a name and a description for
// each of its controls.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/settings/schema.h"
#include "gui/core/data_exchange.h"
#include "gui/core/data_init.h"
#include "gui/core/testing/recording_prompter.h"
#include "gui/widgets/lifetime_dialog.h"
#include "gui/widgets/main_menu.h"
#include "gui/widgets/notify_method_dialog.h"
#include "gui/widgets/qt_prompter.h"
#include "gui/widgets/qt_translation.h"
#include "gui/widgets/testing/qt_environment.h"
#include "gui/widgets/version_box.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"

namespace quillon::gui {
namespace {

// The console, less what a window manager's frame (borders and title bar) takes.
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kFrameWidth = 10;
constexpr int kFrameHeight = 40;

class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Every part shown: PSU toggle, all sixteen batteries, the longest numbers.
    store_.SetDword(kRootKey, "LifeTime", 9999999);
    store_.SetDword(kRootKey, "PsuCheck", 1);
    store_.SetDword(kRootKey, "PsuMonitor", 1);
    store_.SetDword(kSetupDateKey, "RAIDCount", 16);
    for (const char* part : {"CPU_FAN", "CAIS_FAN", "PSU", "UPS"}) {
      store_.SetDword(kLimitKey, part, 99999);
      store_.SetDword(kCurrentKey, part, 99999);
    }
  }
  void TearDown() override { UseQtTranslation(kEnglish); }

  // Each window of the program in `language`, built as the program builds it.
  std::vector<std::unique_ptr<QWidget>> Windows(int language) {
    store_.SetDword(kRootKey, "Language", language);
    std::vector<std::unique_ptr<QWidget>> windows;
    MainMenuServices services;
    services.store = &store_;
    services.system = &system_;
    services.prompter = &prompter_;
    windows.push_back(std::make_unique<MainMenu>(std::move(services)));
    windows.push_back(std::make_unique<NotifyMethodDialog>(nullptr, language, &store_, &prompter_));
    windows.push_back(std::make_unique<VersionBox>(nullptr, language, &prompter_));
    auto lifetime =
        std::make_unique<LifetimeDialog>(nullptr, language, &store_, &clock_, &prompter_, &psu_,
                                         [](const char*, size_t) { return kOk; });
    const std::string title = U(lifetime->windowTitle());
    windows.push_back(std::move(lifetime));
    windows.push_back(
        MakeMessageBox(BoxKind::kQuestion, kAppName, Pick(kInitialiseQuestion, language)));
    windows.push_back(MakeMessageBox(BoxKind::kPlain, title, InvalidDateMessage(language)));
    return windows;
  }

  MemoryStore store_;
  FakeSystemInfo system_;
  RecordingPrompter prompter_;
  FakeClock clock_{LocalDateTime{2010, 3, 31, 12, 0, 0, 0}};
  PsuProgramState psu_;
};

TEST_F(WindowsTest, EveryWindowFitsAn800x600Screen) {
  for (int language : {kJapanese, kEnglish}) {
    for (const auto& window : Windows(language)) {
      window->show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
      // A message box settles its size when shown; the dialogs open at their size hint.
      const QSize size = window->size().expandedTo(window->sizeHint());
      EXPECT_LE(size.width(), kScreenWidth - kFrameWidth)
          << qPrintable(window->objectName()) << " language " << language;
      EXPECT_LE(size.height(), kScreenHeight - kFrameHeight)
          << qPrintable(window->objectName()) << " language " << language;
    }
  }
}

TEST_F(WindowsTest, EveryControlHasAnAccessibleNameAndDescription) {
  for (int language : {kJapanese, kEnglish}) {
    for (const auto& window : Windows(language)) {
      if (qobject_cast<QMessageBox*>(window.get()) != nullptr) continue;  // Qt's own
      int controls = 0;
      for (QWidget* w : window->findChildren<QWidget*>()) {
        // The controls: whatever takes the focus and whatever the dialog names by identifier,
        // but the hint area, a live text with no caption of its own.
        const bool control = w->focusPolicy() != Qt::NoFocus || w->property("controlId").isValid();
        if (!control || w->objectName() == "hintText" || w->objectName().isEmpty()) continue;
        ++controls;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr) << qPrintable(w->objectName());
        EXPECT_FALSE(a->text(QAccessible::Name).trimmed().isEmpty())
            << qPrintable(window->objectName()) << "/" << qPrintable(w->objectName());
        EXPECT_FALSE(a->text(QAccessible::Description).isEmpty())
            << qPrintable(window->objectName()) << "/" << qPrintable(w->objectName());
      }
      EXPECT_GT(controls, 0) << qPrintable(window->objectName());
    }
  }
}

TEST_F(WindowsTest, AccessibleTextsComeFromTheCaptionTablesInTheLanguage) {
  auto text = [](QWidget* w, QAccessible::Text which) {
    return QAccessible::queryAccessibleInterface(w)->text(which);
  };
  auto windows = Windows(kJapanese);
  QWidget* lifetime = windows[3].get();
  QWidget* ok = lifetime->findChild<QWidget*>("okButton");
  EXPECT_EQ(text(ok, QAccessible::Name), "OK");
  EXPECT_EQ(text(ok, QAccessible::Description), "設定を保存し、メインメニューへ戻ります");
  QWidget* ups = lifetime->findChild<QWidget*>("dateFieldUps");
  EXPECT_EQ(text(ups, QAccessible::Name), "UPS(バッテリ) 搭載日");
  EXPECT_EQ(text(ups, QAccessible::Description), "部品寿命情報 参照・設定");
  EXPECT_EQ(text(lifetime->findChild<QWidget*>("runningConfirmPsu"), QAccessible::Name),
            "電源ユニット 確認済");

  windows = Windows(kEnglish);
  lifetime = windows[3].get();
  ok = lifetime->findChild<QWidget*>("okButton");
  // No English tips: a control is described by its window.
  EXPECT_EQ(text(ok, QAccessible::Description), "Component life time information Browse/Setting");
  EXPECT_EQ(text(lifetime->findChild<QWidget*>("nextChangeRaid16"), QAccessible::Name),
            "Battery(RAID#16) Next change");
  EXPECT_EQ(text(lifetime->findChild<QWidget*>("runningFieldServer"), QAccessible::Name),
            "Server Running");
  EXPECT_EQ(text(windows[0]->findChild<QWidget*>("hoursLabel"), QAccessible::Name),
            "Server Running= 9999999 Hour(s)");
}

}  // namespace
}  // namespace quillon::gui
