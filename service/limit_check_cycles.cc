#include "service/limit_check_cycles.h"

#include "service/limit_check.h"
#include "service/notifier_port.h"
#include "service/store_monitor.h"

namespace quillon {
namespace {

// The engine and the notifier it launches through, owned together by the worker; each cycle
// first checks the store.
class EngineCycles : public LimitCheckCycles {
 public:
  EngineCycles(const ServiceEnv& env, uint32_t language)
      : monitor_(env.store_monitor),
        notifier_(env.system, env.launcher),
        engine_(env.store, env.clock, env.trace, env.event_log, &notifier_, language) {}

  void Cycle(int reason) override {
    CheckStore();
    engine_.Cycle(reason);
  }
  void OnPartsChanged(const char* request, size_t size, char reply[kPipeRecordSize]) override {
    CheckStore();
    engine_.OnPartsChanged(request, size, reply);
  }

 private:
  // Every cycle says whether it runs on the store or on defaults.
  void CheckStore() {
    if (monitor_ != nullptr) monitor_->Check();
  }

  StoreMonitor* monitor_;
  LauncherNotifier notifier_;
  LimitCheckEngine engine_;
};

}  // namespace

std::shared_ptr<LimitCheckCycles> MakeLimitCheckCycles(const ServiceEnv& env, uint32_t language) {
  return std::make_shared<EngineCycles>(env, language);
}

}  // namespace quillon
