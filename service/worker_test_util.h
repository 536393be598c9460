#ifndef QUILLON_SERVICE_WORKER_TEST_UTIL_H_
#define QUILLON_SERVICE_WORKER_TEST_UTIL_H_

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

#include "common/log/trace_log.h"
#include "platform/event.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/recorders.h"
#include "platform/pipe.h"
#include "platform/testing/scoped_env_var.h"
#include "service/worker.h"
#include "tests/common/temp_dir.h"

namespace quillon {

// Bound for waits in tests: only a hung test ever reaches it.
inline constexpr uint32_t kTestBoundMs = 10000;

// Bound for a request behind a silent client: a Windows pipe has one instance, which the
// server gives a silent client for its request time and its answer for as long again.
inline constexpr uint32_t kBehindSilentBoundMs = kTestBoundMs + 2 * kPipeRequestTimeoutMs;

// A trace log that records its lines, and a private runtime directory for the pipes.
struct TraceFixture {
  FakeSystemInfo system;
  RecordingTraceSink sink;
  TraceLog trace{&system, &sink};
  TempDir runtime_temp{"quillon-svc-"};
  std::string runtime_dir = runtime_temp.path();
  ScopedEnvVar runtime_env{"QUILLON_RUNTIME_DIR", runtime_dir};
};

// A worker without pipes whose run waits for its stop event, or, while `hold` is set, also
// for `release`; `entered` is set when the run begins.
class WaitingWorker : public Worker {
 public:
  WaitingWorker(TraceLog* trace, std::shared_ptr<Event> stop)
      : Worker(trace, Language::kEnglish, std::move(stop), "", "") {}
  ~WaitingWorker() override {
    if (destroyed) destroyed->Set();
  }
  int RunWithoutPipes() override {
    runs.fetch_add(1);
    entered.Set();
    WaitOne(stop_event().waitable(), kTestBoundMs);
    if (hold) WaitOne(release.waitable(), kTestBoundMs);
    return 7;
  }
  std::atomic<int> runs{0};
  std::atomic<bool> hold{false};
  Event entered;
  Event release;
  std::shared_ptr<Event> destroyed;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_WORKER_TEST_UTIL_H_
