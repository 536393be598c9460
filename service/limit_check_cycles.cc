#include "service/limit_check_cycles.h"

#include <chrono>

#include "service/limit_check.h"
#include "service/metrics_textfile.h"
#include "service/notifier_port.h"

namespace quillon {
namespace {

int64_t UnixNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The engine, the notifier it launches through and the metrics file written after each
// cycle, owned together by the worker.
class EngineCycles : public LimitCheckCycles {
 public:
  EngineCycles(const ServiceEnv& env, uint32_t language)
      : notifier_(env.system, env.launcher),
        engine_(env.store, env.clock, env.trace, env.event_log, &notifier_, language),
        metrics_(env.store, env.clock, env.trace) {}

  void Cycle(int reason) override {
    engine_.Cycle(reason);
    metrics_.AfterCycle(UnixNow());
  }
  void OnPartsChanged(const char* request, size_t size, char reply[kPipeRecordSize]) override {
    engine_.OnPartsChanged(request, size, reply);
    metrics_.AfterCycle(UnixNow());
  }

 private:
  LauncherNotifier notifier_;
  LimitCheckEngine engine_;
  MetricsTextfile metrics_;
};

}  // namespace

std::shared_ptr<LimitCheckCycles> MakeLimitCheckCycles(const ServiceEnv& env, uint32_t language) {
  return std::make_shared<EngineCycles>(env, language);
}

}  // namespace quillon
