#include "service/limit_check_worker.h"

#include "common/log/trace_log.h"
#include "common/settings/settings.h"

namespace quillon {
uint32_t CheckIntervalMs(uint32_t minutes) {
  // 0 would end every wait at once and race the counters to their cap.
  if (minutes == 0) minutes = kDefaultCheckMinutes;
  const uint64_t ms = static_cast<uint64_t>(minutes) * 60000u;
  // kWaitInfinite itself means "no time-out", so the longest finite wait is one less.
  return ms >= kWaitInfinite ? kWaitInfinite - 1 : static_cast<uint32_t>(ms);
}

uint32_t ReadCheckIntervalMs(Store* store) {
  uint32_t minutes = kDefaultCheckMinutes;
  ReadLimitCheckTimer(store, &minutes);
  return CheckIntervalMs(minutes);
}

LimitCheckWorker::LimitCheckWorker(TraceLog* trace, Store* store, Language language,
                                   std::shared_ptr<Event> stop_event,
                                   std::shared_ptr<LimitCheckCycles> cycles)
    : Worker(trace, language, std::move(stop_event), kPartsChangePipeName, ""),
      store_(store),
      cycles_(std::move(cycles)) {}

void LimitCheckWorker::ServeMessage(PipeServer* pipe) {
  char request[kPipeRecordSize] = {};
  char reply[kPipeRecordSize] = {};
  size_t received = 0;
  // The pipe ends the wait when the client's request time is up, so a silent client is
  // answered (as a failed read) rather than waited for.
  Status status = pipe->Read(request, sizeof request, &received, &stop_event());
  // A failed read still runs the cycle, with no part flagged, and is still answered.
  if (status != kOk && status != kErrorMoreData) received = 0;
  cycles_->OnPartsChanged(request, received, reply);
  pipe->Write(reply, sizeof reply);
}

uint32_t LimitCheckWorker::IntervalMs() { return ReadCheckIntervalMs(store_); }

int LimitCheckWorker::RunWithPipes() {
  trace()->Trace("Enter [LimitCheck]Running loop.");
  const uint32_t interval_ms = IntervalMs();
  cycles_->Cycle(CycleReason::kStart);
  PipeServer* pipe = this->pipe(0);
  while (true) {
    Waitable objects[] = {stop_event().waitable(), pipe->ready_waitable()};
    const int r = WaitAny(objects, interval_ms);
    if (r == 0) break;
    if (r == 1) {
      if (pipe->Accept() == kOk) ServeMessage(pipe);
    } else if (r == kWaitTimeout) {
      cycles_->Cycle(CycleReason::kInterval);
    } else if (WaitOne(stop_event().waitable(), interval_ms) == 0) {
      // A failed wait leads only to the next round; waiting on the stop event alone keeps a
      // broken pipe from turning the loop into a spin.
      break;
    }
    pipe->Disconnect();
  }
  pipe->Disconnect();
  trace()->Trace("Exit [LimitCheck]Running loop.");
  return 0;
}

}  // namespace quillon
