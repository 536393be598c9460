#include "service/limit_check_cycles.h"

#include "service/limit_check.h"
#include "service/notifier_port.h"

namespace quillon {
namespace {

// The engine and the notifier it launches through, owned together by the worker.
class EngineCycles : public LimitCheckCycles {
 public:
  EngineCycles(const ServiceEnv& env, uint32_t language)
      : notifier_(env.system, env.launcher),
        engine_(env.store, env.clock, env.trace, env.event_log, &notifier_, language) {}

  void Cycle(int reason) override { engine_.Cycle(reason); }
  void OnPartsChanged(const char* request, size_t size, char reply[kPipeRecordSize]) override {
    engine_.OnPartsChanged(request, size, reply);
  }

 private:
  LauncherNotifier notifier_;
  LimitCheckEngine engine_;
};

}  // namespace

std::shared_ptr<LimitCheckCycles> MakeLimitCheckCycles(const ServiceEnv& env, uint32_t language) {
  return std::make_shared<EngineCycles>(env, language);
}

}  // namespace quillon
