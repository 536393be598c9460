#include "gui/widgets/testing/qt_environment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <memory>

namespace quillon::gui {
namespace {

// The offscreen platform notes on every window that it cannot propagate size hints; that
// says nothing about the code under test.
QtMessageHandler previous_handler = nullptr;

void DropPluginNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.contains("propagateSizeHints")) return;
  if (previous_handler != nullptr) {
    previous_handler(type, context, text);
  } else {
    fprintf(stderr, "%s\n", qPrintable(text));
  }
}

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "quillon_gui_test";
    static char* argv[] = {name, nullptr};
    previous_handler = qInstallMessageHandler(DropPluginNotes);
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
  // The window's frame is not part of a grab, so the title is drawn as a strip above it.
  const QPixmap body = widget->grab();
  const int strip = widget->isWindow() && !widget->windowTitle().isEmpty() ? 26 : 0;
  QPixmap picture(body.width(), body.height() + strip);
  picture.fill(QColor(0x3c, 0x5a, 0x8a));
  QPainter painter(&picture);
  if (strip > 0) {
    painter.setPen(Qt::white);
    painter.drawText(QRect(8, 0, body.width() - 16, strip), Qt::AlignVCenter | Qt::AlignLeft,
                     widget->windowTitle());
  }
  painter.drawPixmap(0, strip, body);
  painter.end();
  return picture.save(path) ? path : QString();
}

void OnNextModal(std::function<void(QWidget* modal)> action) {
  // The modal loop shows its window first and activates it a little later (asynchronously on
  // some platforms), so wait until the modal widget is the active window, within a bound.
  auto* timer = new QTimer();
  auto deadline = std::make_shared<QDeadlineTimer>(5000);
  QObject::connect(timer, &QTimer::timeout, [timer, deadline, action = std::move(action)] {
    QWidget* modal = QApplication::activeModalWidget();
    const bool ready = modal != nullptr && QApplication::activeWindow() == modal;
    if (!ready && !deadline->hasExpired()) return;
    timer->stop();
    timer->deleteLater();
    action(modal);
    // A failed expectation inside the action must not leave the loop waiting for ever.
    if (auto* dialog = qobject_cast<QDialog*>(modal); dialog != nullptr && dialog->isVisible()) {
      ADD_FAILURE() << "the modal dialog was left open";
      dialog->done(QDialog::Rejected);
    }
  });
  timer->start(5);
}

bool WaitFor(const std::function<bool()>& done, int timeout_ms) {
  QDeadlineTimer deadline(timeout_ms);
  while (!done() && !deadline.hasExpired()) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return done();
}

}  // namespace quillon::gui
