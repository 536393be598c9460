#ifndef QUILLON_GUI_WIDGETS_TESTING_QT_ENVIRONMENT_H_
#define QUILLON_GUI_WIDGETS_TESTING_QT_ENVIRONMENT_H_

#include <QString>
#include <functional>

class QWidget;

namespace quillon::gui {

// The test program's QApplication exists from the first test to the last (a GoogleTest
// environment creates it; QT_QPA_PLATFORM=offscreen is set by CTest).

// Saves a picture of `widget` as <dir>/<name>.png, where dir is $QUILLON_SCREENSHOT_DIR or,
// when unset, a "quillon-gui-screenshots" directory in the system's temporary directory.
// Returns the file's path (empty when it could not be written).
QString SaveScreenshot(QWidget* widget, const QString& name);

// Runs `action` on the next pass of the event loop with the active modal widget (nullptr
// when there is none): the way a test answers a modal box opened by the code under test.
void OnNextModal(std::function<void(QWidget* modal)> action);

// Processes events until `done` returns true or `timeout_ms` passed; returns done().
bool WaitFor(const std::function<bool()>& done, int timeout_ms = 5000);

}  // namespace quillon::gui

#endif  // QUILLON_GUI_WIDGETS_TESTING_QT_ENVIRONMENT_H_
