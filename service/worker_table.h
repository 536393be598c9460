#ifndef QUILLON_SERVICE_WORKER_TABLE_H_
#define QUILLON_SERVICE_WORKER_TABLE_H_

#include <memory>

#include "platform/event.h"
#include "service/worker.h"
#include "service/worker_thread.h"

namespace quillon {

class TraceLog;

// How long the service waits for a worker to end after signalling its stop event.
inline constexpr uint32_t kWorkerStopWaitMs = 15000;

// The service's worker table: room for exactly one worker, index 0. Each entry holds the
// worker's stop event, the worker object and, while one is recorded, its thread. Used only by
// the service's main thread.
class WorkerTable {
 public:
  static constexpr int kSize = 1;

  // `trace` and `terminate` must outlive the table. `terminate` is the service's terminate
  // event: a stop command that is waiting for a worker gives up when it is signalled.
  WorkerTable(TraceLog* trace, std::shared_ptr<Event> terminate);
  // Releases every entry; a thread that still runs is let go and keeps its worker alive.
  ~WorkerTable();
  WorkerTable(const WorkerTable&) = delete;
  WorkerTable& operator=(const WorkerTable&) = delete;

  static bool ValidIndex(int index) { return index >= 0 && index < kSize; }

  // Records the worker's stop event and the worker object for `index` (replacing earlier
  // ones). Nothing happens for an invalid index.
  void SetStopEvent(int index, std::shared_ptr<Event> stop_event);
  void SetWorker(int index, std::shared_ptr<Worker> worker);
  std::shared_ptr<Event> stop_event(int index) const;
  Worker* worker(int index) const;
  // True while a thread is recorded for `index`.
  bool thread_recorded(int index) const;

  // Starts a thread for the worker at `index`. A thread already recorded traces "Thread %ld is
  // already running." and returns false. Otherwise creates the thread held, records it, resets
  // the worker's stop event, traces "CreateHandle %ld/%ld Success." (then lets the thread run
  // and returns true) or, when no thread could be made, "CreateHandle %ld/%ld faled." (a start
  // by command) or "CreateHandle %ld/%ld failed." (the start at service start) and returns
  // false. Numbers traced are index + 1 and 1. An invalid index or a missing worker returns
  // false.
  enum class Origin { kCommand, kServiceStart };
  bool StartWorker(int index, Origin origin);

  // Stops the worker at `index` and returns true only when the terminate event ended the wait.
  // No thread recorded: traces "Thread %ld is already stopping." and returns false. Otherwise
  // signals its stop event and waits up to 15000 ms for the terminate event or the thread:
  // terminate → returns true at once; thread ended → traces "Threads %ld/%ld terminate
  // success.", clears the entry and returns false; time-out → traces "Threads terminate time
  // out %ld seconds" with 15 and returns false (the entry stays).
  bool StopWorker(int index);

  // The shutdown path: signals the stop event of the worker at `index` and waits up to
  // the stop wait for its thread. True when no thread is recorded or it ended in time.
  bool StopForShutdown(int index);
  bool StopForShutdown(int index, uint32_t wait_ms);

  // How long StopWorker and StopForShutdown wait for a thread; 15000 ms unless changed.
  uint32_t stop_wait_ms() const { return stop_wait_ms_; }
  void set_stop_wait_ms(uint32_t ms) { stop_wait_ms_ = ms; }

  // What StartWorker makes its threads with: WorkerThread::CreateSuspended unless changed. A
  // maker that returns null stands for a system that cannot create a thread.
  using ThreadMaker = std::unique_ptr<WorkerThread> (*)(std::shared_ptr<Worker> worker);
  void set_thread_maker(ThreadMaker maker) { thread_maker_ = maker; }

  // Releases the entry at `index`: forgets its stop event, its thread (letting a running one
  // go) and its worker.
  void Release(int index);

  // Hands over the thread recorded for `index` (null when none) and clears the entry's
  // thread, so the caller decides how long to keep it.
  std::unique_ptr<WorkerThread> TakeThread(int index);

 private:
  struct Entry {
    std::shared_ptr<Event> stop_event;
    std::shared_ptr<Worker> worker;
    std::unique_ptr<WorkerThread> thread;
  };

  TraceLog* trace_;
  std::shared_ptr<Event> terminate_;
  uint32_t stop_wait_ms_ = kWorkerStopWaitMs;
  ThreadMaker thread_maker_ = &WorkerThread::CreateSuspended;
  Entry entries_[kSize];
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_WORKER_TABLE_H_
