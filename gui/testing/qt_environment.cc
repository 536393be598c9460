#include "gui/testing/qt_environment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace quillon::gui {
namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "quillon_gui_test";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QString SaveScreenshot(QWidget* widget, const QString& name) {
  QString dir = qEnvironmentVariable("QUILLON_SCREENSHOT_DIR");
  if (dir.isEmpty()) dir = QDir::tempPath() + "/quillon-gui-screenshots";
  QDir().mkpath(dir);
  const QString path = dir + "/" + name + ".png";
  return widget->grab().save(path) ? path : QString();
}

void OnNextModal(std::function<void(QWidget* modal)> action) {
  QTimer::singleShot(0,
                     [action = std::move(action)] { action(QApplication::activeModalWidget()); });
}

bool WaitFor(const std::function<bool()>& done, int timeout_ms) {
  QDeadlineTimer deadline(timeout_ms);
  while (!done() && !deadline.hasExpired()) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return done();
}

}  // namespace quillon::gui
