#ifndef QUILLON_SERVICE_COMMAND_LOOP_H_
#define QUILLON_SERVICE_COMMAND_LOOP_H_

#include <cstddef>
#include <cstdint>

#include "common/settings/language.h"
#include "common/wire/pipe_format.h"
#include "platform/event.h"
#include "platform/pipe.h"
#include "service/worker.h"
#include "service/worker_table.h"

namespace quillon {

class EventLog;
class TraceLog;

// What one command-pipe request asks for, by its character 1.
enum class Command { kStopWorker, kStartWorker, kQueryWorker, kStopService, kNone };

// The service's command loop on the command pipe, run on the service's main thread. Requests
// are served one at a time: "i0" stops worker i, "i1" starts it, "i2" asks whether its thread
// is recorded, "x7" starts and "x8" stops worker 0, anything else stops the service.
class CommandLoop {
 public:
  // None of the pointers is owned; all must outlive the loop. `language` selects the event
  // texts.
  CommandLoop(TraceLog* trace, EventLog* event_log, Language language, WorkerTable* workers,
              Event* terminate);

  // Acts on one request of `received` bytes (at most kPipeRecordSize are looked at; the
  // request text ends at its first zero or at the bytes received, and nothing past them is
  // read) and fills the 128-byte `reply` record: "Heared [%s]" or, for a query,
  // "Heared [%s]:%01ld", cut to fit the record with its terminating zero; zeros for a stop of
  // the service. A read that brought nothing (`received` 0) is no request: nothing is done
  // and the reply is all zeros. Returns what was done.
  Command Serve(const char* request, size_t received, char reply[kPipeRecordSize]);

  // Serves `pipe` until the terminate event is signalled, tracing "Service Running loop
  // start.", "Service command terminate." and "Service Running loop end.", then stops the
  // worker (at most 15000 ms): "Threads terminate time out %ld seconds", or "All threads
  // %ld/%ld terminate success." with the service-stopped event.
  void Run(PipeServer* pipe);

  // The end of Run for a stop request that came before there was anything to serve (during
  // the start-time hardware step): "Service command terminate.", "Service Running loop
  // end." and the worker's stop with its trace line and event, as Run ends.
  void StopBeforeServing();

 private:
  void ServeConnection(PipeServer* pipe);
  // Run's closing steps: "Service Running loop end." and the worker's stop.
  void EndLoop();

  TraceLog* trace_;
  EventLog* event_log_;
  Language language_;
  WorkerTable* workers_;
  Event* terminate_;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_COMMAND_LOOP_H_
