#include "gui/app/app.h"

#include <QApplication>
#include <memory>

#include "common/init/initializer.h"
#include "gui/core/data_init.h"
#include "gui/widgets/lifetime_dialog.h"
#include "gui/widgets/main_menu.h"
#include "gui/widgets/qt_prompter.h"
#include "platform/platform.h"
#include "platform/single_instance.h"
#include "platform/store_path.h"

namespace quillon::gui {

int RunTalvenUi(int argc, char** argv) {
  // Claimed before Qt starts, so a second copy ends before it opens any window.
  SingleInstance instance("TalvenUI_EXE");
  if (instance.Acquire() == kErrorAlreadyExists) return 0;

  QApplication app(argc, argv);
  std::unique_ptr<Store> store = OpenSystemStore();
  std::unique_ptr<SystemInfo> system = NewSystemInfo();
  QtPrompter prompter;

  DataInitialisation initialisation;
  initialisation.prompter = &prompter;
  initialisation.system = system.get();
  initialisation.probe = ProbeServicePipe;
  initialisation.beep = [] { QApplication::beep(); };
  initialisation.initialise = [&](const std::string& program_dir, const std::string& temp_dir) {
    InitializeDefaults(store.get(), system.get(), program_dir, temp_dir, InitMode::kReset);
  };

  MainMenuServices services;
  services.store = store.get();
  services.system = system.get();
  services.prompter = &prompter;
  services.initialise_all = [&](int language) { initialisation.Run(language); };
  // The PSU monitoring values of the component lifetime dialog live for the whole run.
  std::unique_ptr<Clock> clock = NewClock();
  PsuProgramState psu;
  services.open_lifetime = [&](BaseDialog* parent, int language) {
    LifetimeDialog dialog(parent, language, store.get(), clock.get(), &prompter, &psu,
                          SendPartsChangedOverPipe);
    dialog.exec();
  };

  MainMenu menu(std::move(services));
  menu.exec();
  return 0;
}

}  // namespace quillon::gui
