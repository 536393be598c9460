#include "service/service_core.h"

#include "common/log/event_report.h"
#include "common/log/trace_log.h"
#include "common/settings/settings.h"
#include "platform/event_log.h"

namespace quillon {

TalvenService::TalvenService(const ServiceEnv& env) : env_(env) {
  language_ = ServiceLanguage(env_.system);
  // Written at every start of the program; the service itself never reads it back.
  WriteLanguage(env_.store, language_);
}

TalvenService::~TalvenService() = default;

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
  // Step 3: running.
  if (!status_sink_->SetStatus(ServiceState::kRunning, 0, 0)) {
    Release();
    return exit_code_;
  }
  // Steps 4 and 5: the start event and trace line.
  ReportLogEvent(env_.event_log, language_, kServiceName, kServiceName, kEventTypeInformation,
                 kEventServiceStart, kServiceName);
  env_.trace->Trace("*** TALVEN SERVICE START ***");

  // Steps 6 to 9: the service serves until it is told to stop.
  std::shared_ptr<Event> terminate;
  {
    std::lock_guard<std::mutex> lock(terminate_mu_);
    terminate = terminate_event_;
  }
  const int waited = WaitOne(terminate->waitable(), kWaitInfinite);
  if (waited == 0) {
    // Nothing else runs yet, so every thread has ended in time: an orderly stop.
    ReportLogEvent(env_.event_log, language_, kServiceName, kServiceName, kEventTypeInformation,
                   kEventSuspended, kServiceName);
  }
  Release();
  return exit_code_;
}

void TalvenService::Release() {
  std::lock_guard<std::mutex> lock(terminate_mu_);
  terminate_event_.reset();
}

}  // namespace quillon
