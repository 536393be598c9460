#include "gui/widgets/main_menu.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/widgets/app_icon.h"
#include "gui/widgets/notify_method_dialog.h"
#include "gui/widgets/qt_translation.h"
#include "gui/widgets/version_box.h"

namespace quillon::gui {
namespace {

constexpr TextPair kCloseEntry = {"閉じる(&C)", "&Close"};

}  // namespace

MainMenu::MainMenu(MainMenuServices services)
    : BaseDialog(nullptr, 0, 0, 0, services.prompter),
      services_(std::move(services)),
      presenter_(services_.store, services_.system),
      timer_(new QTimer(this)) {
  setObjectName("mainMenu");
  presenter_.Open();
  set_language(presenter_.language());
  // Qt's own texts (standard buttons, edit menus) follow the same stored language from here on.
  UseQtTranslation(language());
  setWindowIcon(AppIcon());

  auto* lifetime = new QPushButton(this);
  lifetime->setObjectName("lifetimeButton");
  auto* notify = new QPushButton(this);
  notify->setObjectName("notifyMethodButton");
  auto* exit = new QPushButton(this);
  exit->setObjectName("exitButton");
  auto* hours = new QLabel(this);
  hours->setObjectName("hoursLabel");
  hours->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  hours->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  hours->setMinimumHeight(24);
  hours->setIndent(6);
  for (QPushButton* b : {lifetime, notify, exit}) {
    b->setAutoDefault(false);
    b->setMinimumHeight(32);
  }
  RegisterControl(kLifetimeCommand, lifetime);
  RegisterControl(kNotifyMethodCommand, notify);
  RegisterControl(kExitControl, exit);
  RegisterControl(kHoursControl, hours);
  connect(lifetime, &QPushButton::clicked, this, &MainMenu::OpenLifetimeDialog);
  connect(notify, &QPushButton::clicked, this, &MainMenu::OpenNotifyMethodDialog);
  connect(exit, &QPushButton::clicked, this, &BaseDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 20, 24, 16);
  layout->setSpacing(10);
  layout->addWidget(lifetime);
  layout->addWidget(notify);
  layout->addSpacing(6);
  layout->addWidget(hours);
  layout->addSpacing(6);
  layout->addWidget(exit, 0, Qt::AlignHCenter);
  setMinimumWidth(420);
  setTabOrder(lifetime, notify);
  setTabOrder(notify, exit);

  const auto captions = MainMenuCaptions();
  SetTitleFromTable(captions);
  for (int control : {kLifetimeCommand, kExitControl, kNotifyMethodCommand}) {
    ApplyCaption(control, captions);
  }
  ApplyCaption(kHoursControl, captions, presenter_.server_hours());

  connect(timer_, &QTimer::timeout, this, &MainMenu::OnHourTick);
  timer_->start(kHoursRefreshMs);
}

QMenu* MainMenu::BuildSystemMenu() {
  auto* menu = new QMenu(this);
  menu->setObjectName("systemMenu");
  menu->addAction(Q(Pick(kCloseEntry, language())))->setData(kCloseCommand);
  const std::string version = presenter_.VersionEntryText();
  if (!version.empty()) {
    menu->addSeparator();
    QAction* entry = menu->addAction(Q(version));
    entry->setObjectName("versionAction");
    entry->setData(kVersionCommand);
  }
  return menu;
}

void MainMenu::OnSystemCommand(int command) {
  if (IsVersionCommand(command)) {
    OpenVersionBox();
  } else if (command == kCloseCommand) {
    reject();
  }
}

void MainMenu::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = BuildSystemMenu();
  QAction* chosen = menu->exec(event->globalPos());
  const int command = chosen != nullptr ? chosen->data().toInt() : 0;
  delete menu;
  if (command != 0) OnSystemCommand(command);
}

void MainMenu::OnHourTick() {
  presenter_.RefreshHours();
  ApplyCaption(kHoursControl, MainMenuCaptions(), presenter_.server_hours());
}

void MainMenu::OpenLifetimeDialog() {
  if (services_.open_lifetime) services_.open_lifetime(this, language());
}

void MainMenu::OpenNotifyMethodDialog() {
  NotifyMethodDialog dialog(this, language(), services_.store, prompter());
  dialog.exec();
}

void MainMenu::OpenVersionBox() {
  VersionBox box(this, language(), prompter());
  box.exec();
}

void MainMenu::MaintenanceAction() {
  if (services_.initialise_all) services_.initialise_all(language());
}

void MainMenu::done(int result) {
  timer_->stop();
  BaseDialog::done(result);
}

}  // namespace quillon::gui
