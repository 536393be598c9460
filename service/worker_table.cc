#include "service/worker_table.h"

#include "common/log/trace_log.h"

namespace quillon {

WorkerTable::WorkerTable(TraceLog* trace, std::shared_ptr<Event> terminate)
    : trace_(trace), terminate_(std::move(terminate)) {}

WorkerTable::~WorkerTable() {
  for (int i = 0; i < kSize; ++i) Release(i);
}

void WorkerTable::SetStopEvent(int index, std::shared_ptr<Event> stop_event) {
  if (ValidIndex(index)) entries_[index].stop_event = std::move(stop_event);
}

void WorkerTable::SetWorker(int index, std::shared_ptr<Worker> worker) {
  if (ValidIndex(index)) entries_[index].worker = std::move(worker);
}

std::shared_ptr<Event> WorkerTable::stop_event(int index) const {
  return ValidIndex(index) ? entries_[index].stop_event : nullptr;
}

Worker* WorkerTable::worker(int index) const {
  return ValidIndex(index) ? entries_[index].worker.get() : nullptr;
}

bool WorkerTable::thread_recorded(int index) const {
  return ValidIndex(index) && entries_[index].thread != nullptr;
}

bool WorkerTable::StartWorker(int index, Origin origin) {
  if (!ValidIndex(index)) return false;
  Entry& e = entries_[index];
  const long number = index + 1;
  if (e.thread != nullptr) {
    trace_->Tracef("Thread %ld is already running.", number);
    return false;
  }
  if (e.worker == nullptr || e.stop_event == nullptr) return false;
  e.thread = thread_maker_(e.worker);
  e.stop_event->Reset();
  if (e.thread == nullptr) {
    if (origin == Origin::kCommand) {
      // "faled." is the system's own text for a start by command, kept as the readers of the
      // trace log expect it: do not correct its spelling.
      trace_->Tracef("CreateHandle %ld/%ld faled.", number, 1L);
    } else {
      trace_->Tracef("CreateHandle %ld/%ld failed.", number, 1L);
    }
    return false;
  }
  trace_->Tracef("CreateHandle %ld/%ld Success.", number, 1L);
  e.thread->Resume();
  return true;
}

bool WorkerTable::StopWorker(int index) {
  if (!ValidIndex(index)) return false;
  Entry& e = entries_[index];
  const long number = index + 1;
  if (e.thread == nullptr) {
    trace_->Tracef("Thread %ld is already stopping.", number);
    return false;
  }
  e.stop_event->Set();
  Waitable objects[] = {terminate_->waitable(), e.thread->ended()};
  int r = WaitAny(objects, stop_wait_ms_);
  if (r == 0) return true;  // the service is stopping; its shutdown finishes the work
  if (r == 1) {
    trace_->Tracef("Threads %ld/%ld terminate success.", number, 1L);
    e.thread.reset();
    return false;
  }
  trace_->Tracef("Threads terminate time out %ld seconds", static_cast<long>(stop_wait_ms_ / 1000));
  return false;
}

bool WorkerTable::StopForShutdown(int index) { return StopForShutdown(index, stop_wait_ms_); }

bool WorkerTable::StopForShutdown(int index, uint32_t wait_ms) {
  if (!ValidIndex(index)) return true;
  Entry& e = entries_[index];
  if (e.stop_event != nullptr) e.stop_event->Set();
  if (e.thread == nullptr) return true;
  return WaitOne(e.thread->ended(), wait_ms) == 0;
}

std::unique_ptr<WorkerThread> WorkerTable::TakeThread(int index) {
  if (!ValidIndex(index)) return nullptr;
  return std::move(entries_[index].thread);
}

void WorkerTable::Release(int index) {
  if (!ValidIndex(index)) return;
  Entry& e = entries_[index];
  // The thread goes first: a thread still running keeps its own references to the worker and
  // the stop event, so dropping ours cannot pull them from under it.
  e.thread.reset();
  e.stop_event.reset();
  e.worker.reset();
}

}  // namespace quillon
