#ifndef QUILLON_SERVICE_WORKER_THREAD_H_
#define QUILLON_SERVICE_WORKER_THREAD_H_

#include <atomic>
#include <memory>

#include "platform/event.h"
#include "service/worker.h"

namespace quillon {

// One thread running a worker's ThreadEntry. It is created held (suspended) so the creator can
// record and trace it before the worker does anything, and released with Resume. The thread
// shares ownership of the worker and of its own bookkeeping, so destroying this handle while
// the thread still runs is safe: the handle lets go of the thread and the thread finishes on
// its own, keeping the worker alive until then.
class WorkerThread {
 public:
  // Starts a held thread for `worker`. Null when the system cannot create a thread.
  static std::unique_ptr<WorkerThread> CreateSuspended(std::shared_ptr<Worker> worker);

  // Joins the thread when it has ended; lets it go (detaches) when it still runs. A thread
  // that was never resumed is told to end without running the worker.
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Lets the held thread run the worker. Only the first call counts.
  void Resume();

  // Signalled once the worker's thread entry has returned.
  Waitable ended() const;
  bool has_ended() const;
  // The thread entry's result; meaningful once has_ended().
  int result() const;

 private:
  struct Shared;
  explicit WorkerThread(std::shared_ptr<Shared> shared);

  std::shared_ptr<Shared> shared_;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_WORKER_THREAD_H_
