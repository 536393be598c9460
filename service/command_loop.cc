#include "service/command_loop.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/log/event_report.h"
#include "common/log/trace_log.h"
#include "platform/event_log.h"

namespace quillon {
namespace {

constexpr char kSource[] = "TALVEN";

}  // namespace

CommandLoop::CommandLoop(TraceLog* trace, EventLog* event_log, Language language,
                         WorkerTable* workers, Event* terminate)
    : trace_(trace),
      event_log_(event_log),
      language_(language),
      workers_(workers),
      terminate_(terminate) {}

Command CommandLoop::Serve(const char* request, size_t received, char reply[kPipeRecordSize]) {
  std::memset(reply, 0, kPipeRecordSize);
  if (received == 0) return Command::kNone;
  // The request as text: its bytes up to the first zero, never past what was received, even
  // when the client sent no terminating zero or more than one record.
  char text[kPipeRecordSize + 1] = {};
  const size_t n = received < kPipeRecordSize ? received : kPipeRecordSize;
  std::memcpy(text, request, n);
  const int index = text[0] - '0';
  Command command;
  const char action = text[1];
  switch (action) {
    case kActionStopWorker:
      command = Command::kStopWorker;
      break;
    case kActionStartWorker:
      command = Command::kStartWorker;
      break;
    case kActionQueryWorker:
      command = Command::kQueryWorker;
      break;
    case kActionStartWorker0:
      command = Command::kStartWorker;
      break;
    case kActionStopWorker0:
      command = Command::kStopWorker;
      break;
    default:
      terminate_->Set();
      return Command::kStopService;
  }
  const int target = (action == kActionStartWorker0 || action == kActionStopWorker0) ? 0 : index;
  // Only index 0 exists; requests for another index are answered without acting.
  const bool valid = WorkerTable::ValidIndex(target);
  if (command == Command::kStopWorker && valid) workers_->StopWorker(target);
  if (command == Command::kStartWorker && valid) {
    workers_->StartWorker(target, WorkerTable::Origin::kCommand);
  }
  std::string answer = std::string(kCommandReplyPrefix) + text + kCommandReplyEnd;
  if (command == Command::kQueryWorker) {
    answer += valid && workers_->thread_recorded(target) ? kQueryRunning : kQueryNotRunning;
  }
  // A reply that would not fit is cut so that the record keeps its terminating zero.
  std::memcpy(reply, answer.data(), std::min(answer.size(), kPipeRecordSize - 1));
  return command;
}

void CommandLoop::ServeConnection(PipeServer* pipe) {
  char request[kPipeRecordSize] = {};
  char reply[kPipeRecordSize];
  size_t received = 0;
  // The pipe ends the wait when the client's request time is up, so a silent client is
  // answered (as a failed read) rather than waited for.
  Status status = pipe->Read(request, sizeof request, &received, terminate_);
  if (status != kOk && status != kErrorMoreData) received = 0;
  Serve(request, received, reply);
  // As with every pipe write here, a client that has gone is not an error worth reporting.
  pipe->Write(reply, sizeof reply);
}

void CommandLoop::Run(PipeServer* pipe) {
  trace_->Trace("Service Running loop start.");
  while (true) {
    Waitable objects[] = {terminate_->waitable(), pipe->ready_waitable()};
    int r = WaitAny(objects, kWaitInfinite);
    if (r == 0) {
      trace_->Trace("Service command terminate.");
      break;
    }
    if (r == 1 && pipe->Accept() == kOk) ServeConnection(pipe);
    pipe->Disconnect();
    if (r == kWaitFailed) {
      // Without a usable pipe only the terminate event can end the loop; wait for it rather
      // than spin.
      WaitOne(terminate_->waitable(), kWaitInfinite);
    }
  }
  EndLoop();
}

void CommandLoop::StopBeforeServing() {
  trace_->Trace("Service command terminate.");
  EndLoop();
}

void CommandLoop::EndLoop() {
  trace_->Trace("Service Running loop end.");
  if (workers_->StopForShutdown(0)) {
    trace_->Tracef("All threads %ld/%ld terminate success.", 1L, 1L);
    ReportLogEvent(event_log_, language_, kSource, kSource, kEventTypeInformation, kEventSuspended,
                   kSource);
  } else {
    trace_->Tracef("Threads terminate time out %ld seconds",
                   static_cast<long>(workers_->stop_wait_ms() / 1000));
  }
}

}  // namespace quillon
