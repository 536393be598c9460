// Speed of the SQLite settings store on a real file: single reads must stay far below what a
// check cycle or a dialog can notice.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/posix/sqlite_store.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

constexpr char kRoot[] = "SOFTWARE\\Morvath\\TALVEN";
constexpr char kLimit[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\Limit";
constexpr char kSetupDate[] = "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\SetupDate";

// A store in a fresh temporary directory, filled with a realistic number of values.
class BenchStore {
 public:
  BenchStore() {
    store_ = std::make_unique<SqliteStore>(dir_.File("registry.db"));
    uint32_t limit = 26280;
    for (int i = 1; i <= 16; ++i) {
      std::string n = (i < 10 ? "RAID0" : "RAID") + std::to_string(i);
      store_->SetValue(kLimit, n, ValueType::kDword,
                       std::string(reinterpret_cast<const char*>(&limit), 4));
      store_->SetValue(kSetupDate, n, ValueType::kSz, std::string("2026/12/08\0\0\0\0\0\0", 16));
    }
  }
  ~BenchStore() { store_.reset(); }
  SqliteStore* store() { return store_.get(); }

 private:
  TempDir dir_{"quillon-bench-"};
  std::unique_ptr<SqliteStore> store_;
};

void BM_ReadDword(benchmark::State& state) {
  BenchStore bench;
  ValueType type;
  std::string data;
  for (auto _ : state) {
    if (bench.store()->GetValue(kLimit, "RAID07", &type, &data) != kOk) state.SkipWithError("read");
    benchmark::DoNotOptimize(data);
  }
}
BENCHMARK(BM_ReadDword);

void BM_ReadText(benchmark::State& state) {
  BenchStore bench;
  ValueType type;
  std::string data;
  for (auto _ : state) {
    if (bench.store()->GetValue(kSetupDate, "RAID12", &type, &data) != kOk) {
      state.SkipWithError("read");
    }
    benchmark::DoNotOptimize(data);
  }
}
BENCHMARK(BM_ReadText);

void BM_ReadMissingValue(benchmark::State& state) {
  BenchStore bench;
  ValueType type;
  std::string data;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench.store()->GetValue(kRoot, "NoSuchValue", &type, &data));
  }
}
BENCHMARK(BM_ReadMissingValue);

// Each write is one durable transaction (fsync of the WAL), so this measures the disk.
void BM_WriteDword(benchmark::State& state) {
  BenchStore bench;
  uint32_t value = 0;
  for (auto _ : state) {
    ++value;
    if (bench.store()->SetValue(kRoot, "RunningTime", ValueType::kDword,
                                std::string(reinterpret_cast<const char*>(&value), 4)) != kOk) {
      state.SkipWithError("write");
    }
  }
}
BENCHMARK(BM_WriteDword)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillon

BENCHMARK_MAIN();
