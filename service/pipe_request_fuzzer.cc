// Feeds arbitrary messages to both request handlers of the service: the command loop's
// request table and the parts-changed cycle of the check engine. Each input is split by its
// first byte: even → command request, odd → parts-changed request; the rest is the message
// exactly as received, so no terminating zero is guaranteed.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "common/log/trace_log.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"
#include "platform/fakes/recorders.h"
#include "service/command_loop.h"
#include "service/engine_cycles.h"
#include "service/service_env.h"
#include "service/worker_table.h"

namespace {

using namespace quillon;

// A worker with nothing to do, so that start and stop requests have a thread to act on.
class IdleWorker : public Worker {
 public:
  explicit IdleWorker(TraceLog* trace, std::shared_ptr<Event> stop)
      : Worker(trace, Language::kEnglish, std::move(stop), "", "") {}
  int RunWithoutPipes() override {
    WaitOne(stop_event().waitable(), kWaitInfinite);
    return 0;
  }
};

struct World {
  World() {
    env.store = &store;
    env.system = &system;
    env.clock = &clock;
    env.trace = &trace;
    env.event_log = &events;
    env.launcher = &launcher;
    cycles = MakeLimitCheckCycles(env, Language::kEnglish);
    table.SetStopEvent(0, stop);
    table.SetWorker(0, std::make_shared<IdleWorker>(&trace, stop));
  }
  MemoryStore store;
  FakeSystemInfo system;
  FakeClock clock;
  RecordingTraceSink sink;
  TraceLog trace{&system, &sink};
  RecordingEventLog events;
  RecordingProcessLauncher launcher;
  ServiceEnv env;
  std::shared_ptr<LimitCheckCycles> cycles;
  std::shared_ptr<Event> terminate = std::make_shared<Event>();
  std::shared_ptr<Event> stop = std::make_shared<Event>();
  WorkerTable table{&trace, terminate};
  CommandLoop loop{&trace, &events, Language::kEnglish, &table, terminate.get()};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World* world = new World();
  if (size == 0) return 0;
  const bool parts_changed = data[0] & 1;
  // The message in a buffer of exactly its own size, so reading past it is caught.
  const size_t n = std::min<size_t>(size - 1, kPipeRecordSize);
  std::unique_ptr<char[]> message(new char[n > 0 ? n : 1]);
  std::memcpy(message.get(), data + 1, n);
  char reply[kPipeRecordSize];
  if (parts_changed) {
    world->cycles->OnPartsChanged(message.get(), n, reply);
  } else {
    world->loop.Serve(message.get(), n, reply);
    world->terminate->Reset();
  }
  world->sink.Clear();
  world->events.Clear();
  world->launcher.Clear();
  return 0;
}
