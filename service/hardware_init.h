#ifndef QUILLON_SERVICE_HARDWARE_INIT_H_
#define QUILLON_SERVICE_HARDWARE_INIT_H_

#include <cstddef>
#include <cstdint>

#include "platform/event.h"
#include "service/service_env.h"

namespace quillon {

// Tries of the cabinet number read and the pause before the second and third.
inline constexpr int kCabinetTries = 3;
inline constexpr uint32_t kCabinetRetryPauseMs = 60000;
// Stored operating hours are kept over the management interface's figure when they lie in
// (kHoursTrustLow, kHoursTrustHigh) and differ from it by more than kHoursTolerance.
inline constexpr uint32_t kHoursTrustLow = 12;
inline constexpr uint32_t kHoursTrustHigh = 0xFFFFF;
inline constexpr uint32_t kHoursTolerance = 12;
// Size of the buffer the cabinet model text is read into.
inline constexpr size_t kCabinetModelSize = 256;

// What the start-time hardware step learnt, for the service object.
struct HardwareFacts {
  // The server's operating hours the service works with: the management interface's figure,
  // or the stored LifeTime when that was kept; 0 when the interface gave no figure.
  uint32_t operating_hours = 0;
  // Result of the operating-hours read: 0, -1 (no connection) or the server's status.
  int32_t kori_status = -1;
  // Cabinet number read (0 when every try failed) and batteries the discovery found (-1: no
  // RAID manager).
  uint32_t cabinet_number = 0;
  int raid_batteries = 0;
  // A stop request cut the step short: the figures above are only what was learnt before.
  bool stopped = false;
};

// The service's hardware step at start, before the LimitCheck worker is built: the server
// line (ModelType from the key SOFTWARE\Morvath\QRTVmon), the cabinet number (3 tries, 60 s
// apart), the cabinet model, RAID battery discovery with setup dates and RAIDCount for new
// batteries, the server's operating hours (LifeTime, KoriEnable) and the one-shot PSU check
// (PsuCheck, PsuMonitor, the PSU limit and counter). Every step writes its trace lines.
//
// When every cabinet try ended without any answer from the management interface (it cannot
// be reached, or it let its calls run into their time-out), it is taken as unreachable for
// the rest of the step: the model, hours and PSU reads are not sent and count as no
// connection, so a server that never answers holds the start only for the cabinet tries.
//
// A stop request (`stop` signalled) ends the step within moments wherever it is: in a pause
// between tries, during a management call (abandoned), or while the RAID report script runs
// (ended). What an interrupted wait would have delivered is dropped, so nothing is written
// from it; writes already begun are completed, so no value is half-written.
//
// Uses env.store, env.system, env.clock, env.trace, env.launcher and env.kori (none owned,
// all outliving the object; a null env.kori acts as a management interface that cannot be
// reached). `stop` (kInvalidWaitable: none) must stay valid while Run runs. Runs on the
// calling thread; takes about two minutes of Clock::Pause when the management interface
// does not answer, plus the RAID discovery's own time.
class HardwareInit {
 public:
  explicit HardwareInit(const ServiceEnv& env, Waitable stop = kInvalidWaitable);

  // Performs the whole step, or its part before a stop request (then facts.stopped). Settings
  // write failures are ignored; the step cannot fail.
  HardwareFacts Run();

 private:
  HardwareFacts RunSteps();
  // True once the stop request has come.
  bool Stopped() const;
  uint32_t ReadCabinetNumber();
  void ReadCabinetModel(uint32_t cabinet);
  int SetUpRaidBatteries();
  void ReadOperatingHours(uint32_t cabinet, HardwareFacts* facts);
  void CheckPsu();

  ServiceEnv env_;
  Waitable stop_;
  // The management interface while it is taken as reachable; null afterwards.
  KoriClient* kori_;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_HARDWARE_INIT_H_
