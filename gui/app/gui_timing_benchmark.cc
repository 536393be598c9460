// Offscreen timings of the GUI: program start to the main menu shown (a child process per
// run, timed from before its start until it reports the menu exposed), and a main-menu button
// to its dialog shown. Run with QT_QPA_PLATFORM=offscreen (set here when unset).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "gui/core/testing/recording_prompter.h"
#include "gui/widgets/main_menu.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"
#include "platform/platform.h"
#include "platform/single_instance.h"
#include "platform/store_path.h"
#include "tests/common/temp_dir.h"

extern char** environ;

namespace quillon::gui {
namespace {

using Clock = std::chrono::steady_clock;

// The child: the same steps as TALVENUI up to the main menu on screen, then one byte on
// `report_fd`.
int RunStartupChild(int argc, char** argv, int report_fd) {
  SingleInstance instance("TalvenUI_EXE");
  if (instance.Acquire() == kErrorAlreadyExists) return 0;
  QApplication app(argc, argv);
  std::unique_ptr<Store> store = OpenSystemStore();
  std::unique_ptr<SystemInfo> system = NewSystemInfo();
  RecordingPrompter prompter;
  MainMenuServices services;
  services.store = store.get();
  services.system = system.get();
  services.prompter = &prompter;
  MainMenu menu(std::move(services));
  menu.show();
  if (!QTest::qWaitForWindowExposed(&menu)) return 1;
  const char byte = 1;
  return write(report_fd, &byte, 1) == 1 ? 0 : 1;
}

void BM_StartToMainMenuShown(benchmark::State& state) {
  TempDir temp("quillon-gui-timing-");
  const std::string& dir = temp.path();
  setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  setenv("QUILLON_REGISTRY", (dir + "/registry.db").c_str(), 1);
  std::string self = std::filesystem::read_symlink("/proc/self/exe");
  for (auto _ : state) {
    int fds[2];
    if (pipe(fds) != 0) state.SkipWithError("pipe");
    std::string fd_arg = std::to_string(fds[1]);
    char* argv[] = {self.data(), const_cast<char*>("--startup-child"), fd_arg.data(), nullptr};
    const auto start = Clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("spawn");
      break;
    }
    close(fds[1]);
    char byte = 0;
    const bool shown = read(fds[0], &byte, 1) == 1;
    const auto end = Clock::now();
    close(fds[0]);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    if (!shown) {
      state.SkipWithError("the child did not show the main menu");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}
BENCHMARK(BM_StartToMainMenuShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Runs `open` on the main menu (a button's command) and times until the dialog it opens
// modally is exposed; the dialog is then closed.
void TimeToDialog(benchmark::State& state, const std::function<void(MainMenu*)>& open) {
  MemoryStore store;
  FakeSystemInfo system;
  RecordingPrompter prompter;
  MainMenuServices services;
  services.store = &store;
  services.system = &system;
  services.prompter = &prompter;
  MainMenu menu(std::move(services));
  menu.show();
  if (!QTest::qWaitForWindowExposed(&menu)) state.SkipWithError("main menu not shown");
  for (auto _ : state) {
    Clock::time_point start;
    Clock::time_point shown;
    auto* poll = new QTimer();
    QObject::connect(poll, &QTimer::timeout, [&, poll] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal == &menu || !modal->windowHandle() ||
          !modal->windowHandle()->isExposed()) {
        return;
      }
      shown = Clock::now();
      poll->stop();
      poll->deleteLater();
      static_cast<QDialog*>(modal)->done(QDialog::Rejected);
    });
    poll->start(0);
    start = Clock::now();
    open(&menu);
    state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
  }
}

void BM_NotifyMethodButtonToDialogShown(benchmark::State& state) {
  TimeToDialog(
      state, [](MainMenu* menu) { menu->findChild<QPushButton*>("notifyMethodButton")->click(); });
}
BENCHMARK(BM_NotifyMethodButtonToDialogShown)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_VersionEntryToBoxShown(benchmark::State& state) {
  TimeToDialog(state, [](MainMenu* menu) { menu->OnSystemCommand(kVersionCommand); });
}
BENCHMARK(BM_VersionEntryToBoxShown)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillon::gui

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--startup-child") {
    int one = 1;
    return quillon::gui::RunStartupChild(one, argv, atoi(argv[2]));
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
