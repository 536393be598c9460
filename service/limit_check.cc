#include "service/limit_check.h"

#include <cstdint>
#include <cstring>

#include "common/lifetime/slot_rules.h"
#include "common/lifetime/stored_dates.h"
#include "common/settings/settings.h"
#include "platform/date_time.h"
#include "service/status_log.h"

namespace quillon {
namespace {

constexpr uint32_t kDefaultNotifyDaysPre = 3;
constexpr uint32_t kDefaultNotifyDays = 30;
constexpr int kCountedKinds[] = {kCpuFan, kPsu, kCaisFan};

// A repeat is due when the stored date (ten characters, a valid date, taken at midnight)
// plus `days` lies before now. Any other stored text stops the repeats until a reset.
bool RepeatDue(const char* date, uint32_t days, double now) {
  if (DateTextLength(date, kDateTextSize) != 10) return false;
  double stored = 0;
  if (!ParseDateText(date, kDateTextSize, &stored)) return false;
  return stored + days < now;
}

// Whether an hour total read with `status` may be counted on and written back.
bool CountsFrom(Status status) { return status == kOk || status == kErrorNotFound; }

void SetDate(char* date, const char* today) { std::memcpy(date, today, kDateTextSize); }

}  // namespace

LimitCheckEngine::LimitCheckEngine(Store* store, Clock* clock, TraceLog* trace, EventLog* event_log,
                                   Notifier* notifier, Language language)
    : store_(store),
      clock_(clock),
      trace_(trace),
      event_log_(event_log),
      notices_(store, clock, event_log, notifier, language),
      language_(language) {}

void LimitCheckEngine::Cycle(CycleReason reason) { RunCycle(reason, nullptr, 0); }

void LimitCheckEngine::OnPartsChanged(const char* request, size_t size,
                                      char reply[kPipeRecordSize]) {
  RunCycle(CycleReason::kPartsChanged, request, size);
  std::memset(reply, 0, kPipeRecordSize);
  std::memcpy(reply, kPartsChangedReply, sizeof(kPartsChangedReply));
}

void LimitCheckEngine::RunCycle(CycleReason reason, const char* request, size_t size) {
  if (reason < CycleReason::kStart || reason > CycleReason::kInterval) return;
  // One "now" for the whole cycle, so every part is judged at the same moment.
  const LocalDateTime now_time = clock_->Now();
  const double now = ToDayCount(now_time);
  char today[kDateTextSize];
  FormatDateText(now_time, today, sizeof(today));
  uint32_t pre_days = kDefaultNotifyDaysPre;
  uint32_t limit_days = kDefaultNotifyDays;
  ReadNotifyDays(store_, &pre_days, &limit_days);

  if (reason == CycleReason::kStart) StartSteps(now, today);
  if (reason == CycleReason::kPartsChanged) PartsChangedSteps(request, size);
  if (reason == CycleReason::kInterval) IntervalSteps(now, today);
  CommonEnd(reason, now, today, pre_days, limit_days);
}

void LimitCheckEngine::StartSteps(double now, const char* today) {
  if (ReadAllLifetime(store_, &rec_) == kOk) {
    for (bool& known : counter_known_) known = true;
  } else {
    // Find out which counters, if any, could not be read.
    for (const int kind : kCountedKinds) ReReadCounter(kind);
  }
  for (int i = 0; i < kNotifyCount; ++i) {
    ReadNotifyDone(store_, &limit_flag_[i], limit_date_[i], i);
    ReadNotifyDonePre(store_, &pre_flag_[i], pre_date_[i], i);
  }

  // Support stop: a part whose end of life would come only after the support period has
  // ended gets no notices at all. The rule only ever sets the flag. The sums are taken in 64
  // bits: in 32 bits a counter far past its limit (after the server hours were restarted, for
  // example) wrapped the remaining life round to a huge value and silenced an overdue part.
  uint32_t support_years = 0;
  ReadSupportLimit(store_, &support_years);
  const int64_t support_hours = SupportPeriodHours(support_years);
  uint32_t server_hours = 0;
  ReadServerHours(store_, &server_hours);
  for (const int kind : kCountedKinds) {
    const uint32_t limit = rec_.limit[kind];
    if (counter_known_[kind] && limit != 0 && server_hours > limit &&
        EndsAfterSupport(limit, rec_.current[kind], server_hours, support_hours)) {
      WriteCurrentStop(store_, 1, kind);
    }
  }

  UpdateAverageTime(store_, now);
  StatusEntry(today);
}

void LimitCheckEngine::IntervalSteps(double now, const char* today) {
  for (const int kind : kCountedKinds) {
    // A counter whose stored count could not be read is not counted on from the in-memory 0:
    // that would overwrite the part's hours with 1. It is tried again at every interval.
    if (!counter_known_[kind] && !ReReadCounter(kind)) continue;
    if (rec_.current[kind] < kCounterCap) {
      ++rec_.current[kind];
      WriteCurrent(store_, rec_.current, kind);
    }
  }
  // A missing value starts from 0; one that cannot be read is left alone, so that a passing
  // store failure never overwrites the server's accumulated hours with 1.
  uint32_t server_hours = 0;
  if (CountsFrom(ReadServerHours(store_, &server_hours))) {
    WriteServerHours(store_, server_hours + 1);
  }
  uint32_t running = 0;
  if (CountsFrom(ReadRunningTime(store_, &running))) WriteRunningTime(store_, running + 1);

  UpdateAverageTime(store_, now);

  char last[kDateTextSize] = "";
  ReadStatusLogDate(store_, last);
  if (last[0] == '\0') {
    StatusEntry(today);
    return;
  }
  // An unreadable date stops the daily entry until the next start rewrites it.
  double last_day = 0;
  if (ParseDateText(last, sizeof(last), &last_day) && last_day + 1.0 < now) StatusEntry(today);
}

void LimitCheckEngine::StatusEntry(const char* today) {
  WriteStatusEntry(store_, event_log_, trace_, language_);
  WriteStatusLogDate(store_, today);
}

void LimitCheckEngine::PartsChangedSteps(const char* request, size_t size) {
  if (request == nullptr) return;
  for (int i = 0; i < kNotifyCount; ++i) {
    if (PartFlagged(request, size, i)) ClearSlot(i);
  }
}

void LimitCheckEngine::ClearSlot(int index) {
  limit_flag_[index] = 0;
  std::memset(limit_date_[index], 0, kDateTextSize);
  WriteNotifyDone(store_, limit_flag_[index], limit_date_[index], index);
  pre_flag_[index] = 0;
  std::memset(pre_date_[index], 0, kDateTextSize);
  WriteNotifyDonePre(store_, pre_flag_[index], pre_date_[index], index);
  WriteNotifyDonePreStop(store_, 0, index);

  // Only the part's own base data is taken again; other limits and leads change only at the
  // next service start.
  if (index == kNotifyCpuFan) {
    ReReadCounter(kCpuFan);
  } else if (index >= kNotifyRaidFirst && index <= kNotifyRaidLast) {
    ReadSetupDate(store_, rec_.setupDate[index - 1], index);
  } else if (index == kNotifyUps) {
    ReadSetupDate(store_, rec_.setupDate[16], 17);
  } else if (index == kNotifyPsu) {
    ReReadCounter(kPsu);
    ReadLimit(store_, &rec_.limit[kPsu], kPsu);
  } else if (index == kNotifyCaisFan) {
    ReReadCounter(kCaisFan);
  }
}

bool LimitCheckEngine::ReReadCounter(int kind) {
  counter_known_[kind] = CountsFrom(ReadCurrent(store_, rec_.current, kind));
  return counter_known_[kind];
}

void LimitCheckEngine::CommonEnd(CycleReason reason, double now, const char* today,
                                 uint32_t pre_days, uint32_t limit_days) {
  uint32_t pre_stop[kNotifyCount] = {};
  for (int i = 0; i < kNotifyCount; ++i) ReadNotifyDonePreStop(store_, &pre_stop[i], i);
  // Only the hour-counted parts have a support stop flag.
  uint32_t support_stop[kNotifyCount] = {};
  ReadCurrentStop(store_, &support_stop[kNotifyCpuFan], kCpuFan);
  ReadCurrentStop(store_, &support_stop[kNotifyPsu], kPsu);
  ReadCurrentStop(store_, &support_stop[kNotifyCaisFan], kCaisFan);

  for (int i = 0; i < kNotifyCount; ++i) {
    uint32_t hours = 0;
    if (pre_flag_[i] != 0) {
      if (reason == CycleReason::kInterval && InPreWarningWindow(rec_, i, now, &hours) &&
          RepeatDue(pre_date_[i], pre_days, now)) {
        if (pre_stop[i] == 0 && support_stop[i] == 0) {
          notices_.ScreenPreWarningNotice(i, static_cast<int>(hours));
        }
        SetDate(pre_date_[i], today);
        WriteNotifyDonePre(store_, pre_flag_[i], pre_date_[i], i);
      }
    } else if (InPreWarningWindow(rec_, i, now, &hours)) {
      // The operator's stop of repeats does not hold back the first notice.
      if (support_stop[i] == 0) {
        notices_.ScreenPreWarningNotice(i, static_cast<int>(hours));
        notices_.PreWarningEvent(i, static_cast<int>(hours));
      }
      pre_flag_[i] = 1;
      SetDate(pre_date_[i], today);
      WriteNotifyDonePre(store_, pre_flag_[i], pre_date_[i], i);
    }
  }

  for (int i = 0; i < kNotifyCount; ++i) {
    if (!LimitReached(rec_, i, now)) continue;
    if (limit_flag_[i] == 0) {
      if (support_stop[i] == 0) {
        notices_.ScreenLimitNotice(i);
        notices_.LimitEvent(i);
      }
      limit_flag_[i] = 1;
      SetDate(limit_date_[i], today);
      WriteNotifyDone(store_, limit_flag_[i], limit_date_[i], i);
    } else if (reason == CycleReason::kStart) {
      // A reminder at every service start; the date stays.
      if (support_stop[i] == 0) notices_.ScreenLimitNotice(i);
    } else if (reason == CycleReason::kInterval && RepeatDue(limit_date_[i], limit_days, now)) {
      if (support_stop[i] == 0) notices_.ScreenLimitNotice(i);
      SetDate(limit_date_[i], today);
      WriteNotifyDone(store_, limit_flag_[i], limit_date_[i], i);
    }
  }
}

}  // namespace quillon
