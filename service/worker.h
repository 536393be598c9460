#ifndef QUILLON_SERVICE_WORKER_H_
#define QUILLON_SERVICE_WORKER_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "common/settings/language.h"
#include "platform/event.h"
#include "platform/pipe.h"

namespace quillon {

class TraceLog;

// The base of every worker: up to two named pipes that the worker's thread creates and
// releases, a stop event given by the service, and the virtual run operations. A worker
// object is shared between the service and its thread, so it outlives a thread that does not
// end in time. The thread entry runs on the worker's own thread; everything else belongs to
// the service's main thread.
class Worker {
 public:
  static constexpr int kMaxPipes = 2;

  // `trace` must outlive the worker; `stop_event` is shared with the service. An empty pipe
  // name leaves that slot unused; the pipe count is the number of leading non-empty names.
  Worker(TraceLog* trace, Language language, std::shared_ptr<Event> stop_event,
         std::string pipe_name0, std::string pipe_name1);
  virtual ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // The worker's work when it has no pipes; the base returns 0 at once.
  virtual int RunWithoutPipes();
  // The worker's work once its pipes exist; the base returns 0 at once.
  virtual int RunWithPipes();

  // The thread entry. Without pipes it returns RunWithoutPipes(). Otherwise it creates every
  // pipe (tracing "CreatePipe failed." for one that cannot be made, and returning 0 without
  // running), calls RunWithPipes(), then closes the pipes again and returns its result.
  int ThreadEntry();

  int pipe_count() const { return pipe_count_; }
  const std::string& pipe_name(int i) const { return pipe_names_[i]; }
  // The created pipe of slot i, null outside ThreadEntry's run.
  PipeServer* pipe(int i) { return pipes_[i].get(); }
  Event& stop_event() { return *stop_event_; }
  Language language() const { return language_; }

 protected:
  TraceLog* trace() { return trace_; }

 private:
  TraceLog* trace_;
  Language language_;
  std::shared_ptr<Event> stop_event_;
  std::array<std::string, kMaxPipes> pipe_names_;
  std::array<std::unique_ptr<PipeServer>, kMaxPipes> pipes_;
  int pipe_count_ = 0;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_WORKER_H_
