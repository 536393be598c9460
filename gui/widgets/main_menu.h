#ifndef QUILLON_GUI_WIDGETS_MAIN_MENU_H_
#define QUILLON_GUI_WIDGETS_MAIN_MENU_H_

#include <functional>

#include "gui/core/main_menu_presenter.h"
#include "gui/widgets/base_dialog.h"

class QLabel;
class QMenu;
class QTimer;

namespace quillon::gui {

// What the main menu needs from the program. Pointers are not owned and must outlive the menu.
struct MainMenuServices {
  Store* store = nullptr;
  SystemInfo* system = nullptr;
  Prompter* prompter = nullptr;
  // Runs the component lifetime dialog modally over `parent` in `language` (command 1031).
  // Empty: the command does nothing.
  std::function<void(BaseDialog* parent, int language)> open_lifetime;
  // Initialise all data in `language` (the maintenance key). Empty: the key does nothing.
  std::function<void(int language)> initialise_all;
};

// The main menu: opens the component lifetime dialog (1031) and the error notification method
// dialog (1004), shows the server's running hours (1035, refreshed every hour), offers the
// version box in its context menu and initialises all data on Ctrl+Shift+Alt+F1. "Exit" (1),
// Esc and the close box close it. Building it reads the stored language and sets Qt's own
// texts to it (UseQtTranslation). GUI thread only.
class MainMenu : public BaseDialog {
  Q_OBJECT

 public:
  explicit MainMenu(MainMenuServices services);

  // The window's context menu: "Close", a separator and the version entry (when its text is
  // not empty). Each action's data() is its command. The caller owns the menu.
  QMenu* BuildSystemMenu();
  // Runs a context-menu command: the version box for kVersionCommand, close for the close
  // command, nothing otherwise.
  void OnSystemCommand(int command);
  // The hourly tick: re-reads the hours and shows them.
  void OnHourTick();
  // The commands of the buttons.
  void OpenLifetimeDialog();
  void OpenNotifyMethodDialog();
  void OpenVersionBox();

  void MaintenanceAction() override;
  void done(int result) override;

  const QTimer* hours_timer() const { return timer_; }
  const MainMenuPresenter& presenter() const { return presenter_; }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  MainMenuServices services_;
  MainMenuPresenter presenter_;
  QTimer* timer_;
};

// The context-menu command that closes the window.
inline constexpr int kCloseCommand = 0xF060;

}  // namespace quillon::gui

#endif  // QUILLON_GUI_WIDGETS_MAIN_MENU_H_
