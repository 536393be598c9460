#ifndef QUILLON_SERVICE_SERVICE_STATUS_SINK_H_
#define QUILLON_SERVICE_SERVICE_STATUS_SINK_H_

#include <cstdint>

#include "platform/service_manager.h"

namespace quillon {

// Where the running service reports its state: the host's "set status". The host fills in
// the accepted controls and the check point.
class ServiceStatusSink {
 public:
  virtual ~ServiceStatusSink() = default;

  // Reports `state` with `exit_code` and `wait_hint` (milliseconds). True when the report was
  // made, or when nothing is to be reported (debug mode). False when the report failed; the
  // failure has then been traced ("SetServiceStatus failed."). Thread-safe.
  virtual bool SetStatus(ServiceState state, uint32_t exit_code, uint32_t wait_hint) = 0;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_SERVICE_STATUS_SINK_H_
