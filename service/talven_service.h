#ifndef QUILLON_SERVICE_TALVEN_SERVICE_H_
#define QUILLON_SERVICE_TALVEN_SERVICE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/settings/language.h"
#include "platform/event.h"
#include "platform/pipe.h"
#include "platform/status.h"
#include "service/limit_check_worker.h"
#include "service/service_env.h"
#include "service/service_status_sink.h"
#include "service/worker_table.h"

namespace quillon {

// The service's name, also its display name, its event source and its unit name.
inline constexpr char kServiceName[] = "TALVEN";

// Wait hint of the start pending report, in milliseconds.
inline constexpr uint32_t kStartWaitHintMs = 3000;

class TalvenService;

// The start-time hardware step (cabinet data, RAID batteries, PSU check) that Initialise runs
// after creating the worker's stop event and before building the worker. It may record the
// management interface's figures with set_kori_result. Runs on the service's main thread.
using HardwareStep = std::function<void(TalvenService* service)>;

// Builds the check cycles the LimitCheck worker drives. Called once per Initialise, on the
// service's main thread; null means no worker can be built.
using CyclesFactory = std::function<std::shared_ptr<LimitCheckCycles>(TalvenService* service)>;

// The service object: one per process, built before the host decides what to do and living
// until the process ends. It holds what the running service needs and runs it.
class TalvenService {
 public:
  // Builds the service object: names `TALVEN`, exit code 0, no terminate event yet; computes
  // the language (ServiceLanguage: Japanese only when the user's and the system's default
  // languages are both Japanese) and writes its number to the setting `Language` at once (the
  // status of that write is ignored). `env` must hold store, system, clock, trace, event_log and
  // launcher, all outliving this object.
  explicit TalvenService(const ServiceEnv& env);
  // Waits for a worker thread that was still busy when Run released everything, so that it
  // never works on the environment's objects after they are gone (the caller destroys them
  // after this object).
  ~TalvenService();
  TalvenService(const TalvenService&) = delete;
  TalvenService& operator=(const TalvenService&) = delete;

  // Where Run reports the service's states. Must be set before Run; not owned.
  void set_status_sink(ServiceStatusSink* sink) { status_sink_ = sink; }

  // The hardware step of Initialise; none by default. Set before Run.
  void set_hardware_step(HardwareStep step) { hardware_step_ = std::move(step); }

  // Replaces how the check cycles are built (by default the lifetime check engine over the
  // environment). Set before Run; for tests.
  void set_cycles_factory(CyclesFactory factory) { cycles_factory_ = std::move(factory); }

  // Replaces the 15000 ms the service waits for its worker to stop. Set before Run; for tests.
  void set_worker_stop_wait_ms(uint32_t ms) { worker_stop_wait_ms_ = ms; }

  // Runs the service from start to release, on the calling thread: start pending, the
  // terminate event, running, the start event and trace line, Initialise, then the command
  // loop on ORNA_PIPE until the terminate event is signalled, the worker's stop (at most
  // 15000 ms) and the release of everything in order. Returns the exit code to report with
  // the final stopped status (always 0). The caller reports stopped.
  uint32_t Run();

  // Creates the worker's stop event, runs the hardware step, builds the LimitCheck worker and
  // starts its thread ("CreateHandle %ld/%ld Success." or "CreateHandle %ld/%ld failed.").
  // True when the thread was started, false otherwise: also when a stop request came during the
  // hardware step, which then builds no worker (Run stops as from its command loop). Called
  // by Run; main thread only.
  bool Initialise();

  // The terminate event while Run runs (from its creation to the release), kInvalidWaitable
  // otherwise: the hardware step waits on it besides its pauses, calls and script, so a stop
  // request cuts them short. Thread-safe.
  Waitable terminate_waitable();

  // Signals the terminate event, so that Run ends (stop control, console break). A request
  // that arrives before Run has created the event is kept and takes effect when it is created.
  // Thread-safe; may be called from any thread at any time.
  void Terminate();

  // Records the management interface's operating hours and the status of its last call.
  void set_kori_result(uint32_t hours, Status status) {
    kori_operating_hours_ = hours;
    kori_status_ = status;
  }

  Language language() const { return language_; }
  uint32_t exit_code() const { return exit_code_; }
  const std::string& service_name() const { return service_name_; }
  const std::string& display_name() const { return display_name_; }
  uint32_t kori_operating_hours() const { return kori_operating_hours_; }
  Status kori_status() const { return kori_status_; }
  const ServiceEnv& env() const { return env_; }

 private:
  // Creates the terminate event; false when the system refuses.
  bool CreateTerminateEvent();
  // True once Terminate has been called.
  bool StopRequested();
  // The default CyclesFactory: the lifetime check engine over the environment.
  std::shared_ptr<LimitCheckCycles> MakeEngineCycles();
  // Step 10 of the run: releases what the run created, in order.
  void Release();

  ServiceEnv env_;
  ServiceStatusSink* status_sink_ = nullptr;
  HardwareStep hardware_step_;
  CyclesFactory cycles_factory_;
  uint32_t worker_stop_wait_ms_ = kWorkerStopWaitMs;
  std::string service_name_ = kServiceName;
  std::string display_name_ = kServiceName;
  Language language_ = Language::kEnglish;
  uint32_t exit_code_ = 0;
  // Management-interface figures read at start.
  uint32_t kori_operating_hours_ = 0;
  Status kori_status_ = kOk;

  // Guards the terminate event against the control handler's thread.
  std::mutex terminate_mu_;
  std::shared_ptr<Event> terminate_event_;
  bool terminate_requested_ = false;

  // Main thread only, between steps 2 and 10 of Run.
  std::unique_ptr<WorkerTable> workers_;
  std::unique_ptr<PipeServer> command_pipe_;
  // Worker threads that had not ended by the release; waited for by the destructor.
  std::vector<std::unique_ptr<WorkerThread>> lingering_;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_TALVEN_SERVICE_H_
