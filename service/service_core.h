#ifndef QUILLON_SERVICE_SERVICE_CORE_H_
#define QUILLON_SERVICE_SERVICE_CORE_H_

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/event.h"
#include "platform/status.h"
#include "service/service_env.h"
#include "service/service_status_sink.h"

namespace quillon {

// The service's name, also its display name, its event source and its unit name.
inline constexpr char kServiceName[] = "TALVEN";

// Wait hint of the start pending report, in milliseconds.
inline constexpr uint32_t kStartWaitHintMs = 3000;

// The service object: one per process, built before the host decides what to do and living
// until the process ends. It holds what the running service needs and runs it.
class TalvenService {
 public:
  // Builds the service object: names `TALVEN`, exit code 0, no terminate event yet; computes
  // the language index (0 Japanese only when the user's and the system's default languages
  // are both Japanese, else 1) and writes it to the setting `Language` at once (the status of
  // that write is ignored). `env` must hold store, system, clock, trace and event_log, all
  // outliving this object.
  explicit TalvenService(const ServiceEnv& env);
  ~TalvenService();
  TalvenService(const TalvenService&) = delete;
  TalvenService& operator=(const TalvenService&) = delete;

  // Where Run reports the service's states. Must be set before Run; not owned.
  void set_status_sink(ServiceStatusSink* sink) { status_sink_ = sink; }

  // Runs the service from start to release, on the calling thread: reports start pending,
  // creates the terminate event, reports running, writes the start event and trace line, then
  // serves until the terminate event is signalled, and releases everything in order. Returns
  // the exit code to report with the final stopped status (always 0). The caller reports
  // stopped.
  uint32_t Run();

  // Signals the terminate event, so that Run ends (stop control, console break). A request
  // that arrives before Run has created the event is kept and takes effect when it is created.
  // Thread-safe; may be called from any thread at any time.
  void Terminate();

  uint32_t language() const { return language_; }
  uint32_t exit_code() const { return exit_code_; }
  const std::string& service_name() const { return service_name_; }
  const std::string& display_name() const { return display_name_; }
  uint32_t kori_operating_hours() const { return kori_operating_hours_; }
  Status kori_status() const { return kori_status_; }

 private:
  // Creates the terminate event; false when the system refuses.
  bool CreateTerminateEvent();
  // Step 10 of the run: releases what the run created, in order.
  void Release();

  ServiceEnv env_;
  ServiceStatusSink* status_sink_ = nullptr;
  std::string service_name_ = kServiceName;
  std::string display_name_ = kServiceName;
  uint32_t language_ = 1;
  uint32_t exit_code_ = 0;
  // Management-interface figures read at start.
  uint32_t kori_operating_hours_ = 0;
  Status kori_status_ = kOk;

  // Guards the terminate event against the control handler's thread.
  std::mutex terminate_mu_;
  std::shared_ptr<Event> terminate_event_;
  bool terminate_requested_ = false;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_SERVICE_CORE_H_
