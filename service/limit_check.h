#ifndef QUILLON_SERVICE_LIMIT_CHECK_H_
#define QUILLON_SERVICE_LIMIT_CHECK_H_

#include <cstddef>
#include <cstdint>

#include "common/settings/language.h"
#include "common/settings/schema.h"
#include "common/wire/pipe_format.h"
#include "platform/clock.h"
#include "platform/event_log.h"
#include "platform/store.h"
#include "service/cycle_reason.h"
#include "service/messages_dispatch.h"
#include "service/notifier.h"

namespace quillon {

class TraceLog;

// The lifetime check of the service: counts the running hours of the hour-counted parts,
// decides for each of the 20 monitored parts whether it is in its pre-warning window or past
// its rated life, gives first notices (screen and event log) and repeats (screen), keeps the
// notification flags and dates in the store and writes the daily status entry.
//
// The engine keeps its lifetime data in memory between cycles; everything else lives in the
// store. It knows nothing of threads or pipes: the LimitCheck worker calls it from its one
// thread, so an engine must not be used from two threads at once. The pointers are not owned
// and must outlive the engine. Store failures leave the defaults in place and are not
// reported; no cycle ever fails. A running-hour counter, LifeTime or RunningTime that cannot
// be read (other than missing) is not counted and not written, so a store failure never
// overwrites accumulated hours.
class LimitCheckEngine {
 public:
  // `language` is that of the status text and the warnings.
  LimitCheckEngine(Store* store, Clock* clock, TraceLog* trace, EventLog* event_log,
                   Notifier* notifier, Language language);

  LimitCheckEngine(const LimitCheckEngine&) = delete;
  LimitCheckEngine& operator=(const LimitCheckEngine&) = delete;

  // Runs one check cycle. kStart reads all lifetime data and flags, applies the support stop
  // rule and writes the status entry; kInterval adds one hour to the counters (capped at
  // 99999), LifeTime and RunningTime and writes the status entry once a day; kPartsChanged
  // here stands for a request that could not be read, so no part is flagged. Every reason
  // then runs the pre-warning pass and the limit pass. A value outside the three does nothing.
  void Cycle(CycleReason reason);

  // Serves one parts-changed request of `size` bytes (null when none): characters 0 to 19
  // that were received and are "1" flag the part of that NotifyIndex as replaced (its
  // notification flags, dates and pre-warning stop flag are cleared and its base data re-read
  // from the store). Nothing past `size` bytes is read and no terminating zero is needed.
  // Then runs the common passes as a kPartsChanged cycle and fills all 128 bytes of `reply`
  // with the text kPartsChangedReply ("Heared.") and zeros.
  void OnPartsChanged(const char* request, size_t size, char reply[kPipeRecordSize]);

  // The in-memory lifetime data, for tests and diagnostics.
  const LifetimeRecord& lifetime() const { return rec_; }

 private:
  void RunCycle(CycleReason reason, const char* request, size_t size);
  void StartSteps(double now, const char* today);
  void IntervalSteps(double now, const char* today);
  void PartsChangedSteps(const char* request, size_t size);
  void ClearSlot(int index);
  // Reads the counter of PartKind `kind` (0-2) into the lifetime data; true when it holds the
  // stored count (read, or missing and so 0).
  bool ReReadCounter(int kind);
  void CommonEnd(CycleReason reason, double now, const char* today, uint32_t pre_days,
                 uint32_t limit_days);
  void StatusEntry(const char* today);

  Store* store_;
  Clock* clock_;
  TraceLog* trace_;
  EventLog* event_log_;
  NoticeDispatcher notices_;
  Language language_;

  LifetimeRecord rec_{};
  bool counter_known_[3] = {};  // by PartKind 0-2: rec_.current holds the stored count
  uint32_t limit_flag_[kNotifyCount] = {};
  char limit_date_[kNotifyCount][kDateTextSize] = {};
  uint32_t pre_flag_[kNotifyCount] = {};
  char pre_date_[kNotifyCount][kDateTextSize] = {};
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_LIMIT_CHECK_H_
