#ifndef QUILLON_SERVICE_ENGINE_CYCLES_H_
#define QUILLON_SERVICE_ENGINE_CYCLES_H_

#include <cstdint>
#include <memory>

#include "common/settings/language.h"
#include "service/limit_check_worker.h"
#include "service/service_env.h"

namespace quillon {

// The lifetime check engine over `env` (store, clock, trace, event_log, system and launcher,
// all outliving the result), with the notification programs beside the running program, as
// the cycles of the LimitCheck worker. Each cycle first checks the store through
// env.store_monitor when that is set; when the store has become usable again since the last
// cycle, a start cycle runs first, as at a service start. `language` is that of the
// warnings and the status text.
std::shared_ptr<LimitCheckCycles> MakeLimitCheckCycles(const ServiceEnv& env, Language language);

}  // namespace quillon

#endif  // QUILLON_SERVICE_ENGINE_CYCLES_H_
