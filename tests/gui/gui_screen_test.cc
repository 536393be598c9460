// TALVENUI's windows on real displays, as an operator sees them. run_on_display.sh starts the
// display server and runs this program there: the X11 tests under Xvfb with openbox (at 100 %
// on an 800x600 screen, and at 200 % on a 1600x1200 one), the Wayland test under weston's
// headless backend. Each test skips itself on any other platform. Screenshots of the whole
// screen, window manager frames included, go to $QUILLON_SCREENSHOT_DIR as
// <$QUILLON_SCREEN_TAG>_<language>_<window>.png.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTest>
#include <QWindow>
#include <cstdio>
#include <memory>

#include "common/settings/schema.h"
#include "gui/core/data_init.h"
#include "gui/widgets/lifetime_dialog.h"
#include "gui/widgets/main_menu.h"
#include "gui/widgets/notify_method_dialog.h"
#include "gui/widgets/qt_prompter.h"
#include "gui/widgets/testing/qt_environment.h"
#include "gui/widgets/version_box.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"

namespace quillon::gui {
namespace {

constexpr int kBoundMs = 10000;  // only a hung display makes a test wait this long

bool OnX11() { return QGuiApplication::platformName() == "xcb"; }

QString LanguageTag(int language) { return language == kJapanese ? "ja" : "en"; }

// Waits until the window manager has framed `window` and the display shows it: exposed, the
// frame's extents known, and two grabs of the screen in a row alike (the frame and the
// contents are drawn by two processes). Returns the last grab.
QImage WaitShown(QWidget* window) {
  EXPECT_TRUE(QTest::qWaitForWindowExposed(window, kBoundMs)) << qPrintable(window->objectName());
  EXPECT_TRUE(WaitFor([&] { return !window->windowHandle()->frameMargins().isNull(); }, kBoundMs))
      << qPrintable(window->objectName()) << " got no frame";
  QScreen* screen = window->screen();
  QImage last;
  WaitFor(
      [&] {
        QGuiApplication::sync();
        QImage now = screen->grabWindow(0).toImage();
        const bool steady = !last.isNull() && now == last;
        last = std::move(now);
        return steady;
      },
      kBoundMs);
  return last;
}

// The directory the screenshots go to (made when missing).
QString ScreenshotDir() {
  QString dir = qEnvironmentVariable("QUILLON_SCREENSHOT_DIR");
  if (dir.isEmpty()) dir = QDir::tempPath() + "/quillon-gui-screenshots";
  QDir().mkpath(dir);
  return dir;
}

// Saves a grab of the screen showing `window` under the test's naming.
void SaveScreen(QWidget* window, int language, const QString& what) {
  const QImage screen = WaitShown(window);
  const QString dir = ScreenshotDir();
  const QString name = qEnvironmentVariable("QUILLON_SCREEN_TAG", "x11") + "_" +
                       LanguageTag(language) + "_" + what + ".png";
  EXPECT_TRUE(screen.save(dir + "/" + name)) << qPrintable(name);
}

// The whole window, frame included, lies on the screen.
void ExpectOnScreen(QWidget* window) {
  const QRect screen = window->screen()->geometry();
  const QRect frame = window->windowHandle()->frameGeometry();
  EXPECT_TRUE(screen.contains(frame))
      << qPrintable(window->objectName()) << ": frame " << frame.width() << "x" << frame.height()
      << " at " << frame.x() << "," << frame.y() << " on a " << screen.width() << "x"
      << screen.height() << " screen";
}

// The main menu over `store`, shown; building it also sets Qt's own texts to the stored
// language.
std::unique_ptr<MainMenu> ShowMainMenu(Store* store, SystemInfo* system, Prompter* prompter) {
  MainMenuServices services;
  services.store = store;
  services.system = system;
  services.prompter = prompter;
  auto menu = std::make_unique<MainMenu>(std::move(services));
  menu->show();
  return menu;
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnX11())
      GTEST_SKIP() << "needs an X11 display, not " << qPrintable(QApplication::platformName());
    store_.SetDword(kRootKey, "LifeTime", 30000);
    store_.SetDword(kRootKey, "PsuCheck", 1);
    store_.SetDword(kRootKey, "PsuMonitor", 1);
    store_.SetDword(kSetupDateKey, "RAIDCount", 16);
    store_.SetDword(kLimitKey, "CPU_FAN", 17520);
    store_.SetDword(kLimitKey, "CAIS_FAN", 26280);
    store_.SetDword(kLimitKey, "PSU", 43800);
    store_.SetDword(kLimitKey, "UPS", 17520);
    store_.SetDword(kCurrentKey, "CPU_FAN", 17600);
    store_.SetDword(kCurrentKey, "CAIS_FAN", 1200);
    store_.SetDword(kCurrentKey, "PSU", 1200);
    for (int n = 1; n <= 16; ++n) {
      char name[8];
      snprintf(name, sizeof name, "RAID%02d", n);
      store_.SetDword(kLimitKey, name, 26280);
      store_.SetText(kSetupDateKey, name, "2009/06/01");
    }
    store_.SetText(kSetupDateKey, "UPS", "2008/04/01");
  }

  std::unique_ptr<MainMenu> OpenMainMenu(int language) {
    store_.SetDword(kRootKey, "Language", language);
    return ShowMainMenu(&store_, &system_, &prompter_);
  }
  std::unique_ptr<LifetimeDialog> OpenLifetime(QWidget* parent, int language) {
    auto dialog = std::make_unique<LifetimeDialog>(parent, language, &store_, &clock_, &prompter_,
                                                   &psu_, [](const char*, size_t) { return kOk; });
    dialog->show();
    return dialog;
  }

  MemoryStore store_;
  FakeSystemInfo system_;
  QtPrompter prompter_;
  FakeClock clock_{LocalDateTime{2010, 3, 31, 12, 0, 0, 0}};
  PsuProgramState psu_;
};

TEST_F(ScreenTest, QuestionBoxSpeaksTheOperatorsLanguage) {
  for (int language : {kJapanese, kEnglish}) {
    auto menu = OpenMainMenu(language);
    OnNextModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      const QString yes = box->button(QMessageBox::Yes)->text();
      const QString no = box->button(QMessageBox::No)->text();
      EXPECT_TRUE(language == kJapanese ? yes.startsWith("はい") : yes == "&Yes")
          << qPrintable(yes);
      EXPECT_TRUE(language == kJapanese ? no.startsWith("いいえ") : no == "&No") << qPrintable(no);
      SaveScreen(box, language, "question");
      ExpectOnScreen(box);
      QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    });
    EXPECT_FALSE(prompter_.AskYesNo(kAppName, Pick(kInitialiseQuestion, language)));
  }
}

TEST_F(ScreenTest, ReturnOnTheMainMenuShowsWhereTheFocusWent) {
  for (int language : {kJapanese, kEnglish}) {
    auto menu = OpenMainMenu(language);
    SaveScreen(menu.get(), language, "main_menu");
    ExpectOnScreen(menu.get());
    QWidget* first = QApplication::focusWidget();
    ASSERT_NE(first, nullptr);
    QTest::keyClick(first, Qt::Key_Return);
    auto* next = qobject_cast<QPushButton*>(QApplication::focusWidget());
    ASSERT_NE(next, nullptr);
    EXPECT_NE(next, first);
    QStyleOptionButton option;
    option.initFrom(next);
    EXPECT_TRUE(option.state & QStyle::State_HasFocus);
    EXPECT_TRUE(option.state & QStyle::State_KeyboardFocusChange);
    SaveScreen(menu.get(), language, "main_menu_after_return");
  }
}

TEST_F(ScreenTest, ValidationBoxShowsItsWholeCaption) {
  for (int language : {kJapanese, kEnglish}) {
    auto dialog = OpenLifetime(nullptr, language);
    WaitShown(dialog.get());
    auto* ups = dialog->findChild<QLineEdit*>("dateFieldUps");
    ASSERT_NE(ups, nullptr);
    ups->setFocus();
    ups->setText("abc");
    OnNextModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->windowTitle(), dialog->windowTitle());
      SaveScreen(box, language, "validation");
      ExpectOnScreen(box);
      QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    dialog->OnOk();
    EXPECT_TRUE(dialog->isVisible());
  }
}

TEST_F(ScreenTest, EveryWindowFitsTheScreen) {
  for (int language : {kJapanese, kEnglish}) {
    auto menu = OpenMainMenu(language);
    WaitShown(menu.get());
    {
      auto lifetime = OpenLifetime(menu.get(), language);
      // With a field chosen, its editing help and hint show as well.
      lifetime->findChild<QLineEdit*>("dateFieldUps")->setFocus();
      SaveScreen(lifetime.get(), language, "lifetime");
      ExpectOnScreen(lifetime.get());
    }
    {
      NotifyMethodDialog notify(menu.get(), language, &store_, &prompter_);
      notify.show();
      SaveScreen(&notify, language, "notify_method");
      ExpectOnScreen(&notify);
    }
    {
      VersionBox version(menu.get(), language, &prompter_);
      version.show();
      SaveScreen(&version, language, "version_box");
      ExpectOnScreen(&version);
    }
  }
}

// Under a Wayland compositor the main menu opens and is shown (the compositor exposes it).
TEST(WaylandScreenTest, MainMenuAppears) {
  if (QGuiApplication::platformName() != "wayland") {
    GTEST_SKIP() << "needs a Wayland display, not " << qPrintable(QApplication::platformName());
  }
  MemoryStore store;
  FakeSystemInfo system;
  QtPrompter prompter;
  store.SetDword(kRootKey, "Language", kJapanese);
  store.SetDword(kRootKey, "LifeTime", 12345);
  auto menu = ShowMainMenu(&store, &system, &prompter);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu.get(), kBoundMs));
  EXPECT_EQ(menu->windowHandle()->title(), "Quillon メインメニュー");
  EXPECT_FALSE(SaveScreenshot(menu.get(), "wayland_ja_main_menu").isEmpty());
  // The compositor's own picture of its output, when it offers one (weston --debug).
  const QString shooter = qEnvironmentVariable("QUILLON_WAYLAND_SHOOTER");
  if (!shooter.isEmpty()) {
    // The menu's first frame has reached the compositor once a round trip has passed.
    QGuiApplication::sync();
    QProcess process;
    process.setWorkingDirectory(ScreenshotDir());
    process.start(shooter, {});
    EXPECT_TRUE(process.waitForFinished(kBoundMs)) << qPrintable(shooter);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    // It names its picture by the time; the test's name replaces that.
    QDir dir(ScreenshotDir());
    const QStringList shots = dir.entryList({"wayland-screenshot-*.png"}, QDir::Files, QDir::Time);
    ASSERT_FALSE(shots.isEmpty());
    dir.remove("wayland_ja_main_menu_compositor.png");
    EXPECT_TRUE(dir.rename(shots.first(), "wayland_ja_main_menu_compositor.png"));
  }
  printf("main menu shown under wayland: %dx%d\n", menu->width(), menu->height());
}

}  // namespace
}  // namespace quillon::gui
