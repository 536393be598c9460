// The parts-changed round trip as the administration program sees it: connect to
// ORNAPartsChange, send the 24-byte request, receive the 128-byte reply, with the LimitCheck
// worker running the real check engine on a real store file in between.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/log/trace_log.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/recorders.h"
#include "platform/pipe.h"
#include "platform/platform.h"
#include "service/engine_cycles.h"
#include "service/limit_check_worker.h"
#include "service/service_env.h"
#include "service/worker_table.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

void BM_PartsChangedRoundTrip(benchmark::State& state) {
  TempDir temp("quillon-bench-");
  const std::string dir = temp.path();
  setenv("QUILLON_RUNTIME_DIR", (dir + "/run").c_str(), 1);
  auto store = NewStore(dir + "/registry.db");
  FakeSystemInfo system;
  system.program_path = dir + "/TALVENSV";
  RecordingTraceSink sink;
  TraceLog trace(&system, &sink);
  std::unique_ptr<Clock> clock = NewClock();
  RecordingEventLog events;
  RecordingProcessLauncher launcher;
  ServiceEnv env;
  env.store = store.get();
  env.system = &system;
  env.clock = clock.get();
  env.trace = &trace;
  env.event_log = &events;
  env.launcher = &launcher;

  auto stop = std::make_shared<Event>();
  WorkerTable table(&trace, std::make_shared<Event>());
  table.SetStopEvent(0, stop);
  table.SetWorker(
      0, std::make_shared<LimitCheckWorker>(&trace, store.get(), Language::kEnglish, stop,
                                            MakeLimitCheckCycles(env, Language::kEnglish)));
  table.StartWorker(0, WorkerTable::Origin::kServiceStart);

  const PartsChangedRequest request = NoPartsChanged();
  char reply[kPipeRecordSize];
  size_t got = 0;
  // The first call also waits for the worker's pipe to appear.
  while (CallPipe(kPartsChangePipeName, request.data(), request.size(), reply, sizeof reply,
                  &got) != kOk) {
  }
  std::vector<double> us;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    Status s =
        CallPipe(kPartsChangePipeName, request.data(), request.size(), reply, sizeof reply, &got);
    auto end = std::chrono::steady_clock::now();
    if (s != kOk || got != kPipeRecordSize) state.SkipWithError("call failed");
    us.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  std::sort(us.begin(), us.end());
  if (!us.empty()) {
    state.counters["p50_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
    state.counters["max_us"] = us.back();
  }
  table.StopForShutdown(0);
  table.Release(0);
  unsetenv("QUILLON_RUNTIME_DIR");
}
BENCHMARK(BM_PartsChangedRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace
}  // namespace quillon

BENCHMARK_MAIN();
