// OK in the component lifetime dialog to the service's reply, end to end: the real TALVENSV
// -debug in the service sandbox of tests/pipe, the dialog offscreen on the same SQLite store.
// One iteration resets the CPU fan's hours (alternately 0 and 1, so every OK saves), presses
// OK with the question answered Yes and stops when the dialog has closed after the reply: the
// store writes, the request, the service's check cycle and the reply. The pipe call alone is
// timed as well. Run with QT_QPA_PLATFORM=offscreen (set here when unset).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>

#include <QApplication>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <memory>

#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "gui/core/testing/recording_prompter.h"
#include "gui/widgets/lifetime_dialog.h"
#include "platform/platform.h"
#include "tests/common/service_sandbox.h"

namespace quillon::gui {
namespace {

using Steady = std::chrono::steady_clock;

// One sandbox service for all benchmarks of the run.
ServiceSandbox* Service() {
  static ServiceSandbox* box = [] {
    auto* b = new ServiceSandbox();
    const uint32_t method[2] = {0, 0};
    WriteNotifyMethod(b->store(), method);
    WriteServerHours(b->store(), 20000);
    WriteLimit(b->store(), 17520, kCpuFan);
    if (!b->Start() || !b->WaitForTrace("Enter [LimitCheck]Running loop.", 1, 20000)) {
      std::fprintf(stderr, "the sandbox service did not start\n");
      std::exit(1);
    }
    return b;
  }();
  return box;
}

void BM_OkToServiceReply(benchmark::State& state) {
  ServiceSandbox* box = Service();
  std::unique_ptr<Clock> clock = NewClock();
  RecordingPrompter prompter;
  PsuProgramState psu;
  int n = 0;
  for (auto _ : state) {
    LifetimeDialog dialog(nullptr, kEnglish, box->store(), clock.get(), &prompter, &psu,
                          SendPartsChangedOverPipe);
    dialog.show();
    dialog.running_field(kRowCpuFan)->setText(++n % 2 == 0 ? "0" : "1");
    prompter.AnswerNext(true);
    QPushButton* ok = dialog.findChild<QPushButton*>("okButton");
    const auto start = Steady::now();
    ok->click();
    const auto end = Steady::now();
    if (dialog.isVisible() || dialog.result() != QDialog::Accepted) {
      state.SkipWithError("the dialog did not close after OK");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}
BENCHMARK(BM_OkToServiceReply)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PartsChangedCallOnly(benchmark::State& state) {
  Service();
  char request[kPartsChangedRequestSize] = "10000000000000000000000";
  for (auto _ : state) {
    if (SendPartsChangedOverPipe(request, sizeof request) != kOk) {
      state.SkipWithError("the service did not answer");
      break;
    }
  }
}
BENCHMARK(BM_PartsChangedCallOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace quillon::gui

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The offscreen platform's note on every window shown says nothing about the timing.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
    if (!text.contains("propagateSizeHints")) std::fprintf(stderr, "%s\n", qPrintable(text));
  });
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The sandbox removes its directory and ends the service.
  quillon::gui::Service()->Signal(SIGINT);
  quillon::gui::Service()->WaitExit(20000);
  delete quillon::gui::Service();
  return 0;
}
