#ifndef QUILLON_SERVICE_LIMIT_CHECK_WORKER_H_
#define QUILLON_SERVICE_LIMIT_CHECK_WORKER_H_

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/settings/language.h"
#include "common/wire/pipe_format.h"
#include "platform/event.h"
#include "service/cycle_reason.h"
#include "service/worker.h"

namespace quillon {

class Store;
class TraceLog;

// The check cycles as the LimitCheck worker drives them. Called from the worker's thread only.
class LimitCheckCycles {
 public:
  virtual ~LimitCheckCycles() = default;
  // Runs one start or interval cycle.
  virtual void Cycle(CycleReason reason) = 0;
  // Runs the parts-changed cycle for a request of `size` bytes (0 after a failed read: no part
  // flagged) and fills the 128-byte reply record.
  virtual void OnPartsChanged(const char* request, size_t size, char reply[kPipeRecordSize]) = 0;
};

// Check interval used when LimitCheckTimer cannot be read or is 0, in minutes.
inline constexpr uint32_t kDefaultCheckMinutes = 60;

// The wait between two interval cycles for a LimitCheckTimer of `minutes`: 0 counts as unset
// (60 minutes), and a time too long for 32 bits of milliseconds is cut to the longest finite
// wait.
uint32_t CheckIntervalMs(uint32_t minutes);

// Reads LimitCheckTimer from `store` (60 when it cannot be read) and returns CheckIntervalMs
// of it.
uint32_t ReadCheckIntervalMs(Store* store);

// The LimitCheck worker: one pipe, ORNAPartsChange. Its loop runs a start cycle, then a
// parts-changed cycle for every message on the pipe and an interval cycle each time the check
// interval passes without one, until its stop event is signalled.
class LimitCheckWorker : public Worker {
 public:
  // `trace` and `store` must outlive the worker; the cycles are shared with it.
  LimitCheckWorker(TraceLog* trace, Store* store, Language language,
                   std::shared_ptr<Event> stop_event, std::shared_ptr<LimitCheckCycles> cycles);

  // The loop: traces "Enter [LimitCheck]Running loop.", reads the interval once, runs the
  // start cycle, then serves the pipe and the interval until the stop event; traces "Exit
  // [LimitCheck]Running loop." and returns 0. A running cycle always completes; the stop
  // event is seen between cycles.
  int RunWithPipes() override;

 protected:
  // The wait between interval cycles, read once per loop: ReadCheckIntervalMs of the store.
  virtual uint32_t IntervalMs();

 private:
  void ServeMessage(PipeServer* pipe);

  Store* store_;
  std::shared_ptr<LimitCheckCycles> cycles_;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_LIMIT_CHECK_WORKER_H_
