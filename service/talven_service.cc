#include "service/talven_service.h"

#include "common/log/event_report.h"
#include "common/log/trace_log.h"
#include "common/settings/settings.h"
#include "common/wire/pipe_format.h"
#include "platform/event_log.h"
#include "service/command_loop.h"
#include "service/engine_cycles.h"
#include "service/store_monitor.h"

namespace quillon {

TalvenService::TalvenService(const ServiceEnv& env) : env_(env) {
  language_ = ServiceLanguage(env_.system);
  // Written at every start of the program; the service itself never reads it back.
  WriteLanguage(env_.store, static_cast<uint32_t>(language_));
}

TalvenService::~TalvenService() {
  // Run has returned long ago and the stop has been reported; what is left is to keep the
  // store, the trace and the rest alive until a worker that overran its stop wait is done.
  for (auto& thread : lingering_) WaitOne(thread->ended(), kWaitInfinite);
}

bool TalvenService::CreateTerminateEvent() {
  auto event = std::make_shared<Event>();
  if (!event->valid()) return false;
  std::lock_guard<std::mutex> lock(terminate_mu_);
  terminate_event_ = event;
  // A stop that came while the service was still starting must not be lost.
  if (terminate_requested_) terminate_event_->Set();
  return true;
}

void TalvenService::Terminate() {
  std::lock_guard<std::mutex> lock(terminate_mu_);
  terminate_requested_ = true;
  if (terminate_event_) terminate_event_->Set();
}

bool TalvenService::StopRequested() {
  std::lock_guard<std::mutex> lock(terminate_mu_);
  return terminate_requested_;
}

Waitable TalvenService::terminate_waitable() {
  std::lock_guard<std::mutex> lock(terminate_mu_);
  return terminate_event_ ? terminate_event_->waitable() : kInvalidWaitable;
}

std::shared_ptr<LimitCheckCycles> TalvenService::MakeEngineCycles() {
  return MakeLimitCheckCycles(env_, language_);
}

bool TalvenService::Initialise() {
  auto stop_event = std::make_shared<Event>();
  if (!stop_event->valid()) return false;
  workers_->SetStopEvent(0, stop_event);
  if (hardware_step_) hardware_step_(this);
  // Once the service is asked to stop, the rest of the start would only delay the stop.
  if (StopRequested()) return false;
  std::shared_ptr<LimitCheckCycles> cycles =
      cycles_factory_ ? cycles_factory_(this) : MakeEngineCycles();
  if (cycles == nullptr) {
    env_.trace->Tracef("CreateHandle %ld/%ld failed.", 1L, 1L);
    return false;
  }
  workers_->SetWorker(0, std::make_shared<LimitCheckWorker>(env_.trace, env_.store, language_,
                                                            stop_event, std::move(cycles)));
  return workers_->StartWorker(0, WorkerTable::Origin::kServiceStart);
}

uint32_t TalvenService::Run() {
  // Step 1: start pending, with a fresh check point.
  if (!status_sink_->SetStatus(ServiceState::kStartPending, 0, kStartWaitHintMs)) {
    Release();
    return exit_code_;
  }
  // Step 2: the terminate event.
  if (!CreateTerminateEvent()) {
    Release();
    return exit_code_;
  }
  std::shared_ptr<Event> terminate;
  {
    std::lock_guard<std::mutex> lock(terminate_mu_);
    terminate = terminate_event_;
  }
  workers_ = std::make_unique<WorkerTable>(env_.trace, terminate);
  workers_->set_stop_wait_ms(worker_stop_wait_ms_);
  // Step 3: running.
  if (!status_sink_->SetStatus(ServiceState::kRunning, 0, 0)) {
    Release();
    return exit_code_;
  }
  // Steps 4 and 5: the start event and trace line.
  ReportLogEvent(env_.event_log, language_, kServiceName, kServiceName, kEventTypeInformation,
                 kEventServiceStart, kServiceName);
  env_.trace->Trace("*** TALVEN SERVICE START ***");
  // A store that cannot be used is reported at once, not first met by a silent write.
  if (env_.store_monitor != nullptr) env_.store_monitor->Check();

  // Step 6: the hardware step and the worker. Without a worker there is nothing to serve;
  // a stop request during the step ends the run as it ends the command loop.
  if (!Initialise()) {
    if (StopRequested()) {
      CommandLoop(env_.trace, env_.event_log, language_, workers_.get(), terminate.get())
          .StopBeforeServing();
    }
    Release();
    return exit_code_;
  }
  // Steps 7 and 8: the command pipe and its loop, which ends on the terminate event and
  // then stops the worker.
  Status status;
  command_pipe_ = PipeServer::Create(kCommandPipeName, &status);
  if (command_pipe_ != nullptr) {
    CommandLoop loop(env_.trace, env_.event_log, language_, workers_.get(), terminate.get());
    loop.Run(command_pipe_.get());
  } else {
    env_.trace->Trace("CreatePipe failed.");
    // Nothing can ask for a stop any more except the stop control; the worker still ends.
    workers_->StopForShutdown(0);
  }
  // Step 10.
  Release();
  return exit_code_;
}

void TalvenService::Release() {
  {
    std::lock_guard<std::mutex> lock(terminate_mu_);
    terminate_event_.reset();
  }
  // The worker's stop event, its thread handle and the worker object, in that order. A
  // thread that did not end in time holds its own references to its worker and events; its
  // handle is kept so the destructor can wait for it.
  if (workers_ != nullptr) {
    std::unique_ptr<WorkerThread> thread = workers_->TakeThread(0);
    if (thread != nullptr && !thread->has_ended()) lingering_.push_back(std::move(thread));
    workers_->Release(0);
  }
  workers_.reset();
  command_pipe_.reset();
}

}  // namespace quillon
