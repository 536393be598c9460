#include "service/engine_cycles.h"

#include <chrono>

#include "service/limit_check.h"
#include "service/metrics_textfile.h"
#include "service/notifier.h"
#include "service/store_monitor.h"

namespace quillon {
namespace {

int64_t UnixNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The engine, the notifier it launches through and the metrics file written after each
// cycle, owned together by the worker; each cycle first checks the store.
class EngineCycles : public LimitCheckCycles {
 public:
  EngineCycles(const ServiceEnv& env, Language language)
      : monitor_(env.store_monitor),
        notifier_(env.system, env.launcher),
        engine_(env.store, env.clock, env.trace, env.event_log, &notifier_, language),
        metrics_(env.store, env.clock, env.trace) {}

  void Cycle(CycleReason reason) override {
    CheckStore(reason);
    engine_.Cycle(reason);
    metrics_.AfterCycle(UnixNow());
  }
  void OnPartsChanged(const char* request, size_t size, char reply[kPipeRecordSize]) override {
    CheckStore(CycleReason::kPartsChanged);
    engine_.OnPartsChanged(request, size, reply);
    metrics_.AfterCycle(UnixNow());
  }

 private:
  // Every cycle says whether it runs on the store or on defaults. A store that has become
  // usable again is taken up as at a service start: the start cycle reads the lifetime data
  // and flags the engine could not read before, so the part checks run on them again.
  void CheckStore(CycleReason reason) {
    if (monitor_ == nullptr) return;
    const bool usable = monitor_->Check() == kOk;
    if (usable && store_was_unusable_ && reason != CycleReason::kStart) {
      engine_.Cycle(CycleReason::kStart);
    }
    store_was_unusable_ = !usable;
  }

  StoreMonitor* monitor_;
  bool store_was_unusable_ = false;
  LauncherNotifier notifier_;
  LimitCheckEngine engine_;
  MetricsTextfile metrics_;
};

}  // namespace

std::shared_ptr<LimitCheckCycles> MakeLimitCheckCycles(const ServiceEnv& env, Language language) {
  return std::make_shared<EngineCycles>(env, language);
}

}  // namespace quillon
