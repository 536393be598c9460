// Cost of one lifetime check cycle of each reason, on the in-memory store and on a real
// SQLite store file (WAL, synchronous=FULL) in a temporary directory ($TMPDIR or /tmp).

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "common/log/trace_log.h"
#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"
#include "platform/platform.h"
#include "service/limit_check.h"
#include "service/notifier.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

class NullSink : public TraceSink {
 public:
  int Append(std::string_view, std::string_view) override { return 0; }
};

class NullEventLog : public EventLog {
 public:
  Status Report(const EventRecord&) override { return kOk; }
};

class NullNotifier : public Notifier {
 public:
  bool LaunchMs(std::string) override { return true; }
  bool LaunchMsItem(std::string, int) override { return true; }
  bool LaunchMi(std::string) override { return true; }
  bool LaunchMiItem(std::string, int) override { return true; }
};

void Dword(Store* store, const char* key, const char* name, uint32_t value) {
  RegCtlWriteValue(store, key, name, kRegDword, &value, sizeof(value));
}

void Text(Store* store, const char* key, const char* name, const char* text) {
  char buffer[kInstallDateTextSize] = {};
  std::strncpy(buffer, text, sizeof(buffer) - 1);
  RegCtlWriteValue(store, key, name, kRegSz, buffer, static_cast<uint32_t>(strlen(text) + 1));
}

// An installed server as the setup leaves it, with two RAID batteries, all parts well inside
// their lives, so a cycle does its full bookkeeping without notices.
void Fill(Store* store) {
  Dword(store, kRootKey, "LifeTime", 1000);
  Dword(store, kRootKey, "RunningTime", 900);
  Text(store, kRootKey, "InstallDate", "2025/06/01 10:00:00");
  Text(store, kRootKey, "StatusLogDate", "2026/01/01");
  Dword(store, kRootKey, "NotifyDays", 30);
  Dword(store, kRootKey, "NotifyDaysPre", 3);
  Dword(store, kRootKey, "SupportLimit", 5);
  for (int kind = 0; kind < 7; ++kind) {
    Dword(store, kLimitKey, PartKindName(kind), 26280);
    Dword(store, kLimitPreKey, PartKindName(kind), 2160);
  }
  for (int kind = 0; kind < 3; ++kind) {
    Dword(store, kCurrentKey, PartKindName(kind), 100);
    Dword(store, kCurrentStopKey, PartKindName(kind), 0);
  }
  Text(store, kSetupDateKey, "UPS", "2025/06/01");
  Text(store, kSetupDateKey, "RAID01", "2025/06/01");
  Text(store, kSetupDateKey, "RAID02", "2025/06/01");
  for (int n = 1; n <= kMaxRaid; ++n) {
    WriteRaidLimit(store, 26280, n);
    WriteRaidLimitPre(store, 4320, n);
    WriteRaidConsumables(store, 1, n);
  }
  const char empty[kDateTextSize] = {};
  for (int i = 0; i < kNotifyCount; ++i) {
    WriteNotifyDone(store, 0, empty, i);
    WriteNotifyDonePre(store, 0, empty, i);
    WriteNotifyDonePreStop(store, 0, i);
  }
  const uint32_t method[2] = {0, 1};
  WriteNotifyMethod(store, method);
}

struct Bench {
  explicit Bench(Store* s) : store(s), trace(&system, &sink) {
    Fill(store);
    clock.Set({2026, 1, 1, 12, 30, 0, 0});
    engine = std::make_unique<LimitCheckEngine>(store, &clock, &trace, &events, &notifier,
                                                Language::kEnglish);
    engine->Cycle(CycleReason::kStart);
  }
  Store* store;
  FakeClock clock;
  FakeSystemInfo system;
  NullSink sink;
  TraceLog trace;
  NullEventLog events;
  NullNotifier notifier;
  std::unique_ptr<LimitCheckEngine> engine;
};

void RunReason(benchmark::State& state, Store* store, CycleReason reason) {
  Bench bench(store);
  const char request[kPartsChangedRequestSize] = "10000000000000000000000";
  char reply[kPipeRecordSize];
  for (auto _ : state) {
    if (reason == CycleReason::kPartsChanged) {
      bench.engine->OnPartsChanged(request, sizeof(request), reply);
    } else {
      bench.engine->Cycle(reason);
    }
  }
}

void BM_MemoryStoreCycle(benchmark::State& state) {
  MemoryStore store;
  RunReason(state, &store, static_cast<CycleReason>(state.range(0)));
}
BENCHMARK(BM_MemoryStoreCycle)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_SqliteStoreCycle(benchmark::State& state) {
  TempDir dir("quillon-bench-");
  std::unique_ptr<Store> store = NewStore(dir.File("registry.db"));
  RunReason(state, store.get(), static_cast<CycleReason>(state.range(0)));
}
BENCHMARK(BM_SqliteStoreCycle)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillon

BENCHMARK_MAIN();
