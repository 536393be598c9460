// What the metrics file adds to a check cycle: reading the report back from a real SQLite
// store file, formatting it and replacing the file (write, fsync, rename, directory fsync) in a
// temporary directory ($TMPDIR or /tmp); and each part on its own.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "common/lifetime/part_report.h"
#include "common/lifetime/prometheus_text.h"
#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "platform/date_time.h"
#include "platform/fakes/fake_clock.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "service/metrics_textfile.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

void Dword(Store* store, const char* key, const char* name, uint32_t value) {
  RegCtlWriteValue(store, key, name, kRegDword, &value, sizeof(value));
}

// A fully set-up store: every limit and lead, sixteen RAID batteries with setup dates, every
// flag and date.
void Fill(Store* store, const std::string& dir) {
  Dword(store, kRootKey, "LifeTime", 30000);
  Dword(store, kRootKey, "RunningTime", 29000);
  Dword(store, kRootKey, "SupportLimit", 5);
  Dword(store, kSetupDateKey, "RAIDCount", 16);
  for (int kind = 0; kind < 7; ++kind) {
    Dword(store, kLimitKey, PartKindName(kind), 26280);
    Dword(store, kLimitPreKey, PartKindName(kind), 2160);
  }
  for (int kind = 0; kind < 3; ++kind) {
    Dword(store, kCurrentKey, PartKindName(kind), 100);
    Dword(store, kCurrentStopKey, PartKindName(kind), 0);
  }
  char date[kDateTextSize] = "2025/06/01";
  for (int n = 1; n <= 17; ++n) WriteSetupDate(store, date, n);
  for (int n = 1; n <= kMaxRaid; ++n) {
    WriteRaidLimit(store, 26280, n);
    WriteRaidLimitPre(store, 4320, n);
  }
  for (int i = 0; i < kNotifyCount; ++i) {
    WriteNotifyDone(store, 0, date, i);
    WriteNotifyDonePre(store, 1, date, i);
    WriteNotifyDonePreStop(store, 0, i);
  }
  char setting[kMetricsDirTextSize] = {};
  std::strncpy(setting, dir.c_str(), sizeof(setting) - 1);
  RegCtlWriteValue(store, kRootKey, "MetricsTextfileDir", kRegSz, setting, sizeof(setting));
}

void BM_MetricsFileAfterCycle(benchmark::State& state) {
  TempDir dir("quillon-metrics-");
  auto store = NewStore(dir.File("registry.db"));
  Fill(store.get(), dir.path());
  FakeClock clock({2026, 12, 9, 0, 0, 0, 0});
  MetricsTextfile metrics(store.get(), &clock, nullptr);
  for (auto _ : state) {
    if (metrics.AfterCycle(1796000000) != kOk) state.SkipWithError("write failed");
  }
}
BENCHMARK(BM_MetricsFileAfterCycle)->Unit(benchmark::kMicrosecond);

void BM_ReadReport(benchmark::State& state) {
  TempDir dir("quillon-metrics-");
  auto store = NewStore(dir.File("registry.db"));
  Fill(store.get(), dir.path());
  LifetimeReport report;
  const double now = ToDayCount({2026, 12, 9, 0, 0, 0, 0});
  for (auto _ : state) ReadLifetimeReport(store.get(), now, &report);
}
BENCHMARK(BM_ReadReport)->Unit(benchmark::kMicrosecond);

void BM_FormatText(benchmark::State& state) {
  TempDir dir("quillon-metrics-");
  auto store = NewStore(dir.File("registry.db"));
  Fill(store.get(), dir.path());
  LifetimeReport report;
  ReadLifetimeReport(store.get(), ToDayCount({2026, 12, 9, 0, 0, 0, 0}), &report);
  MetricsContext context;
  context.last_cycle_unix = 1796000000;
  for (auto _ : state) benchmark::DoNotOptimize(FormatPrometheusText(report, context));
}
BENCHMARK(BM_FormatText)->Unit(benchmark::kMicrosecond);

void BM_ReplaceFile(benchmark::State& state) {
  TempDir dir("quillon-metrics-");
  auto store = NewStore(dir.File("registry.db"));
  Fill(store.get(), dir.path());
  LifetimeReport report;
  ReadLifetimeReport(store.get(), ToDayCount({2026, 12, 9, 0, 0, 0, 0}), &report);
  const std::string text = FormatPrometheusText(report, MetricsContext{});
  const std::string path = dir.File("quillon.prom");
  for (auto _ : state) {
    if (ReplaceFileAtomically(path, text) != kOk) state.SkipWithError("write failed");
  }
}
BENCHMARK(BM_ReplaceFile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillon

BENCHMARK_MAIN();
