// Speed of the settings accessors on the real SQLite store (a database file in a temporary
// directory): single DWORD and text reads, a DWORD write, and the bulk read of the lifetime
// dialog and the check engine.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/settings/settings.h"
#include "platform/platform.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

// A store filled as the setup program leaves it, in a fresh temporary directory.
class FilledStore {
 public:
  FilledStore() {
    if (!dir_.ok()) std::abort();
    store_ = NewStore(dir_.File("registry.db"));
    Store* s = store_.get();
    WriteServerHours(s, 12000);
    WriteInstallDate(s, "2026/01/02 03:04:05");
    uint32_t current[3] = {100, 200, 300};
    for (int kind = 0; kind < 3; ++kind) WriteCurrent(s, current, kind);
    for (int kind = 0; kind < kPartKindCount; ++kind) WriteLimit(s, 26280, kind);
    for (int kind = 0; kind <= kRaidL; ++kind) {
      RegCtlWriteValue(s, kLimitPreKey, PartKindName(kind), kRegDword, &current[0], 4);
    }
    for (int n = 1; n <= kMaxRaid; ++n) {
      WriteRaidLimit(s, 26280, n);
      WriteRaidLimitPre(s, 4320, n);
      WriteSetupDate(s, "2026/01/02", n);
    }
    WriteSetupDate(s, "2026/01/02", 17);
  }
  ~FilledStore() { store_.reset(); }
  Store* get() { return store_.get(); }

 private:
  TempDir dir_{"quillon-settings-bench-"};
  std::unique_ptr<Store> store_;
};

void BM_ReadDword(benchmark::State& state) {
  FilledStore store;
  uint32_t hours = 0;
  for (auto _ : state) {
    if (ReadServerHours(store.get(), &hours) != kOk) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(hours);
  }
}
BENCHMARK(BM_ReadDword);

void BM_ReadText(benchmark::State& state) {
  FilledStore store;
  char text[24];
  for (auto _ : state) {
    if (ReadInstallDate(store.get(), text) != kOk) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_ReadText);

// Every write is one durable transaction (synchronous=FULL): this measures the disk's sync.
void BM_WriteDword(benchmark::State& state) {
  FilledStore store;
  uint32_t hours = 0;
  for (auto _ : state) {
    if (WriteServerHours(store.get(), ++hours) != kOk) state.SkipWithError("write failed");
  }
}
BENCHMARK(BM_WriteDword)->Unit(benchmark::kMicrosecond);

void BM_ReadAllLifetime(benchmark::State& state) {
  FilledStore store;
  LifetimeRecord rec{};
  for (auto _ : state) {
    if (ReadAllLifetime(store.get(), &rec) != kOk) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(rec);
  }
}
BENCHMARK(BM_ReadAllLifetime)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillon

BENCHMARK_MAIN();
