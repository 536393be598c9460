#include "service/worker_thread.h"

#include <system_error>
#include <thread>

namespace quillon {

// What the thread and its handle share; it lives until the last of the two lets go.
struct WorkerThread::Shared {
  std::shared_ptr<Worker> worker;
  Event go;
  Event ended;
  std::atomic<bool> run{false};
  std::atomic<int> result{0};
  std::thread thread;
};

std::unique_ptr<WorkerThread> WorkerThread::CreateSuspended(std::shared_ptr<Worker> worker) {
  auto shared = std::make_shared<Shared>();
  if (!shared->go.valid() || !shared->ended.valid()) return nullptr;
  shared->worker = std::move(worker);
  try {
    // The thread holds its own reference, so neither the worker nor the events die under it.
    shared->thread = std::thread([s = shared] {
      WaitOne(s->go.waitable(), kWaitInfinite);
      if (s->run.load()) s->result.store(s->worker->ThreadEntry());
      s->ended.Set();
    });
  } catch (const std::system_error&) {
    return nullptr;
  }
  return std::unique_ptr<WorkerThread>(new WorkerThread(std::move(shared)));
}

WorkerThread::WorkerThread(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

WorkerThread::~WorkerThread() {
  // A never-resumed thread is released without running the worker.
  shared_->go.Set();
  if (shared_->ended.IsSet()) {
    shared_->thread.join();
  } else {
    shared_->thread.detach();
  }
}

void WorkerThread::Resume() {
  if (!shared_->go.IsSet()) {
    shared_->run.store(true);
    shared_->go.Set();
  }
}

Waitable WorkerThread::ended() const { return shared_->ended.waitable(); }

bool WorkerThread::has_ended() const { return shared_->ended.IsSet(); }

int WorkerThread::result() const { return shared_->result.load(); }

}  // namespace quillon
