#include "service/worker.h"

#include "common/log/trace_log.h"

namespace quillon {

Worker::Worker(TraceLog* trace, Language language, std::shared_ptr<Event> stop_event,
               std::string pipe_name0, std::string pipe_name1)
    : trace_(trace),
      language_(language),
      stop_event_(std::move(stop_event)),
      pipe_names_{std::move(pipe_name0), std::move(pipe_name1)} {
  while (pipe_count_ < kMaxPipes && !pipe_names_[pipe_count_].empty()) ++pipe_count_;
}

Worker::~Worker() = default;

int Worker::RunWithoutPipes() { return 0; }

int Worker::RunWithPipes() { return 0; }

int Worker::ThreadEntry() {
  if (pipe_count_ == 0) return RunWithoutPipes();
  bool ok = true;
  for (int i = 0; i < pipe_count_ && ok; ++i) {
    Status status;
    pipes_[i] = PipeServer::Create(pipe_names_[i], &status);
    if (pipes_[i] == nullptr) {
      trace_->Trace("CreatePipe failed.");
      ok = false;
    }
  }
  int result = ok ? RunWithPipes() : 0;
  // Closing the pipes removes their names, so clients fail at once instead of queueing for a
  // worker that is gone; a restarted worker creates them afresh.
  for (auto& pipe : pipes_) pipe.reset();
  return result;
}

}  // namespace quillon
