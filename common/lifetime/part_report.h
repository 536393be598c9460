#ifndef QUILLON_COMMON_LIFETIME_PART_REPORT_H_
#define QUILLON_COMMON_LIFETIME_PART_REPORT_H_

#include <array>
#include <cstdint>
#include <string>

#include "common/settings/schema.h"
#include "platform/store.h"

namespace quillon {

// Where one part stands, in the words an operator's tools use.
enum class PartState {
  kOk,            // monitored, neither in its pre-warning window nor past its limit
  kPreWarning,    // in its pre-warning window
  kOverLimit,     // its limit is reached
  kNotMonitored,  // limit 0 (hour-counted) or no valid setup date (date-counted)
  kSilenced,      // CurrentStop is set: its life ends after the support period, no notices
};

// "ok", "pre-warning", "over-limit", "not-monitored", "silenced".
const char* PartStateName(PartState state);

struct PartReport {
  int index = 0;              // NotifyIndex
  const char* name = "";      // the store's name: CPU_FAN, RAID01 ... RAID16, UPS, PSU, CAIS_FAN
  bool hour_counted = false;  // running hours (else calendar hours since the setup date)
  bool fitted = true;         // RAID controllers beyond RAIDCount are not fitted
  uint32_t hours = 0;         // hour-counted: the counter
  std::string setup_date;     // date-counted: the stored setup date text ("" when none)
  uint32_t limit = 0;         // rated life, hours
  uint32_t lead = 0;          // pre-warning lead, hours
  bool has_remaining = false;
  int64_t remaining = 0;    // remaining hours (negative past the limit), when has_remaining
  std::string next_change;  // date-counted: setup date + life as "%Y/%m/%d"; else ""
  PartState state = PartState::kNotMonitored;
  uint32_t limit_flag = 0;  // NotifyDone
  std::string limit_date;
  uint32_t pre_flag = 0;  // NotifyDonePre
  std::string pre_date;
  uint32_t confirmed = 0;     // NotifyDonePreStop
  uint32_t support_stop = 0;  // CurrentStop (hour-counted parts only)
};

struct ServerReport {
  uint32_t hours = 0;           // LifeTime
  uint32_t running_time = 0;    // RunningTime
  std::string average_time;     // AverageTime text ("" when unreadable)
  std::string install_date;     // InstallDate text ("" when none)
  uint32_t raid_count = 0;      // SetupDate\RAIDCount
  uint32_t check_minutes = 60;  // LimitCheckTimer
};

struct LifetimeReport {
  LifetimeRecord record{};
  std::array<PartReport, kNotifyCount> parts;  // in NotifyIndex order
  ServerReport server;
  bool store_usable = true;  // the root key exists and no read failed other than "missing"
  int store_errors = 0;      // reads that failed other than "missing"
};

// Reads everything the report needs through the settings accessors (ReadAllLifetime, the
// notification flags and dates, the stop flags, the root values) and judges every part at
// `now` (a day count) with the shared slot rules. Never fails: unreadable values keep the
// readers' defaults and are counted in store_errors. `store` is not owned. Thread-safe as far
// as the store is.
void ReadLifetimeReport(Store* store, double now, LifetimeReport* report);

// Judges every part of `report` at `now` from its record and flags (the part of
// ReadLifetimeReport that reads nothing), for projections onto another moment.
void JudgeParts(double now, LifetimeReport* report);

}  // namespace quillon

#endif  // QUILLON_COMMON_LIFETIME_PART_REPORT_H_
