#include "service/hardware_init.h"

#include <cstdio>

#include "common/kori/kori_client.h"
#include "common/log/trace_log.h"
#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/store.h"
#include "service/raid_discovery.h"

namespace quillon {

HardwareInit::HardwareInit(const ServiceEnv& env, Waitable stop)
    : env_(env), stop_(stop), kori_(env.kori) {}

HardwareFacts HardwareInit::Run() {
  // The management calls of the step end at once on a stop request, like its pauses.
  if (env_.kori != nullptr) env_.kori->SetAbandon(stop_);
  HardwareFacts facts = RunSteps();
  if (env_.kori != nullptr) env_.kori->SetAbandon(kInvalidWaitable);
  facts.stopped = Stopped();
  return facts;
}

HardwareFacts HardwareInit::RunSteps() {
  HardwareFacts facts;
  WriteModelType(env_.store, env_.store->KeyExists(kQrtvmonKey) == kOk ? 1 : 0);
  facts.cabinet_number = ReadCabinetNumber();
  if (Stopped()) return facts;
  ReadCabinetModel(facts.cabinet_number);
  if (Stopped()) return facts;
  facts.raid_batteries = SetUpRaidBatteries();
  if (Stopped()) return facts;
  ReadOperatingHours(facts.cabinet_number, &facts);
  if (Stopped()) return facts;
  CheckPsu();
  return facts;
}

bool HardwareInit::Stopped() const { return stop_ != kInvalidWaitable && WaitOne(stop_, 0) == 0; }

uint32_t HardwareInit::ReadCabinetNumber() {
  uint32_t cabinet = 0;
  bool silent = true;
  for (int attempt = 0; attempt < kCabinetTries; ++attempt) {
    if (attempt > 0) {
      if (!env_.clock->Pause(kCabinetRetryPauseMs, stop_)) return 0;
      env_.trace->Tracef("KORI retry [count = %ld].", static_cast<long>(attempt));
    }
    cabinet = 0;
    int32_t status = kori_ ? kori_->KoriReadCabinetNumber(&cabinet) : kKoriNoConnection;
    if (Stopped()) return 0;
    if (status == 0) {
      env_.trace->Tracef("KORI enable [CabinetNr = %ld].", static_cast<long>(cabinet));
      return cabinet;
    }
    if (kori_ != nullptr && !kori_->server_silent()) silent = false;
  }
  // A server that never answered would cost a full time-out for each of the reads still to
  // come; it is left alone for the rest of the step instead.
  if (silent) kori_ = nullptr;
  return 0;
}

void HardwareInit::ReadCabinetModel(uint32_t cabinet) {
  char model[kCabinetModelSize] = "";
  if (kori_ == nullptr ||
      kori_->KoriReadCabinetModel(model, sizeof(model), static_cast<int32_t>(cabinet)) != 0 ||
      Stopped()) {
    return;
  }
  // The server's text goes into a one-line trace: control characters would break the line.
  for (char& c : model) {
    if (c == '\0') break;
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  env_.trace->Tracef("KORI enable [CabinetModel = %s].", model);
}

int HardwareInit::SetUpRaidBatteries() {
  int found = RaidDiscovery(env_, stop_).Discover();
  if (Stopped()) return 0;
  uint32_t known = 0;
  ReadRaidCount(env_.store, &known);
  if (found <= 0) return found;
  LocalDateTime now = env_.clock->Now();
  char today[kDateTextSize] = "";
  std::snprintf(today, sizeof(today), "%04d/%02d/%02d", now.year, now.month, now.day);
  for (uint32_t n = known + 1; n <= static_cast<uint32_t>(found); ++n) {
    WriteRaidCount(env_.store, n);
    WriteSetupDate(env_.store, today, static_cast<int>(n));
  }
  return found;
}

void HardwareInit::ReadOperatingHours(uint32_t cabinet, HardwareFacts* facts) {
  uint32_t kori_hours = 0;
  facts->kori_status =
      kori_ ? kori_->KoriReadOperatingHours(&kori_hours, static_cast<int32_t>(cabinet))
            : kKoriNoConnection;
  // An abandoned read says nothing about the server: KoriEnable stays as it was.
  if (Stopped()) return;
  if (facts->kori_status != 0) {
    WriteKoriEnable(env_.store, 0);
    return;
  }
  WriteKoriEnable(env_.store, 1);
  env_.trace->Tracef("KORI enable [LifeTime = %ld].", static_cast<long>(kori_hours));
  uint32_t stored = 0;
  ReadServerHours(env_.store, &stored);
  uint32_t difference = stored > kori_hours ? stored - kori_hours : kori_hours - stored;
  // A plausible stored count that disagrees by more than half a day is the better figure
  // (the management counter may have been reset with a board replacement).
  if (stored > kHoursTrustLow && stored < kHoursTrustHigh && difference > kHoursTolerance) {
    facts->operating_hours = stored;
    return;
  }
  WriteServerHours(env_.store, kori_hours);
  facts->operating_hours = kori_hours;
}

void HardwareInit::CheckPsu() {
  uint32_t psu_check = 0;
  ReadPsuCheck(env_.store, &psu_check);
  if (psu_check != 1) return;
  uint8_t answer = 0;
  int32_t result = kori_ ? kori_->KoriReadPsuStatus(&answer) : kKoriNoConnection;
  // An abandoned check is settled at the next start.
  if (Stopped()) return;
  if (result == 0) {
    WritePsuCheck(env_.store, 2);
    if (answer == 1) {
      WritePsuMonitor(env_.store, 1);
      // The fitted unit's own limit replaces the PSU limit, and its counter starts from the
      // server's hours. Values that cannot be read are not copied.
      uint32_t limit = 0;
      if (ReadLimit(env_.store, &limit, kPsuS) == kOk) WriteLimit(env_.store, limit, kPsu);
      uint32_t current[3] = {0, 0, 0};
      if (ReadServerHours(env_.store, &current[kPsu]) == kOk) {
        WriteCurrent(env_.store, current, kPsu);
      }
      env_.trace->Tracef("PSU Check(0) [Num = %ld]: PSU enabled.", static_cast<long>(answer));
    } else {
      WritePsuMonitor(env_.store, 0);
      env_.trace->Tracef("PSU Check(0) [Num = %ld]: PSU disabled.", static_cast<long>(answer));
    }
  } else if (result == 1) {
    WritePsuMonitor(env_.store, 0);
    env_.trace->Tracef("PSU Check(1) [Sta = %ld].", static_cast<long>(answer));
  } else {
    WritePsuMonitor(env_.store, 0);
    env_.trace->Trace("PSU Check(-1): No KORI.");
  }
}

}  // namespace quillon
