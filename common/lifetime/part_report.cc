#include "common/lifetime/part_report.h"

#include <cstring>

#include "common/lifetime/slot_rules.h"
#include "common/lifetime/stored_dates.h"
#include "common/settings/settings.h"
#include "platform/date_time.h"

namespace quillon {
namespace {

std::string Text(const char* buffer, size_t size) {
  return std::string(buffer, strnlen(buffer, size));
}

// A read counts against the store only when it failed for another reason than a missing
// value: a store set up by an older release may lack values the readers default.
void Count(Status status, LifetimeReport* report) {
  if (status != kOk && status != kErrorNotFound) ++report->store_errors;
}

}  // namespace

const char* PartStateName(PartState state) {
  switch (state) {
    case PartState::kOk:
      return "ok";
    case PartState::kPreWarning:
      return "pre-warning";
    case PartState::kOverLimit:
      return "over-limit";
    case PartState::kSilenced:
      return "silenced";
    case PartState::kNotMonitored:
      break;
  }
  return "not-monitored";
}

void JudgeParts(double now, LifetimeReport* report) {
  const LifetimeRecord& rec = report->record;
  for (int i = 0; i < kNotifyCount; ++i) {
    PartReport& part = report->parts[i];
    part.has_remaining = RemainingHours(rec, i, now, &part.remaining);
    uint32_t in_window = 0;
    if (!SlotMonitored(rec, i)) {
      part.state = PartState::kNotMonitored;
    } else if (part.support_stop != 0) {
      part.state = PartState::kSilenced;
    } else if (LimitReached(rec, i, now)) {
      part.state = PartState::kOverLimit;
    } else if (InPreWarningWindow(rec, i, now, &in_window)) {
      part.state = PartState::kPreWarning;
    } else {
      part.state = PartState::kOk;
    }
  }
}

void ReadLifetimeReport(Store* store, double now, LifetimeReport* report) {
  *report = LifetimeReport{};
  const Status root = store->KeyExists(kRootKey);
  Count(root, report);
  LifetimeRecord& rec = report->record;
  Count(ReadAllLifetime(store, &rec), report);

  ServerReport& server = report->server;
  Count(ReadServerHours(store, &server.hours), report);
  Count(ReadRunningTime(store, &server.running_time), report);
  char average[kAverageTextSize] = "";
  Count(ReadAverageTime(store, average), report);
  server.average_time = Text(average, sizeof(average));
  char install[kInstallDateTextSize] = "";
  Count(ReadInstallDate(store, install), report);
  server.install_date = Text(install, sizeof(install));
  Count(ReadRaidCount(store, &server.raid_count), report);
  Count(ReadLimitCheckTimer(store, &server.check_minutes), report);

  for (int i = 0; i < kNotifyCount; ++i) {
    PartReport& part = report->parts[i];
    part.index = i;
    part.name = NotifyFlagName(i);
    const int kind = CounterKindOfSlot(i);
    part.hour_counted = kind >= 0;
    SlotLimits(rec, i, &part.limit, &part.lead);
    if (part.hour_counted) {
      part.hours = rec.current[kind];
      Count(ReadCurrentStop(store, &part.support_stop, kind), report);
    } else {
      part.setup_date =
          Text(i == kNotifyUps ? rec.setupDate[16] : rec.setupDate[i - 1], kDateTextSize);
      double setup = 0;
      if (SlotSetupDay(rec, i, &setup)) {
        char next[kDateTextSize];
        FormatDateText(FromDayCount(NextChangeDay(setup, part.limit)), next, sizeof(next));
        part.next_change = next;
      }
    }
    part.fitted = SlotFitted(i, server.raid_count);
    char date[kDateTextSize] = "";
    Count(ReadNotifyDone(store, &part.limit_flag, date, i), report);
    part.limit_date = Text(date, sizeof(date));
    std::memset(date, 0, sizeof(date));
    Count(ReadNotifyDonePre(store, &part.pre_flag, date, i), report);
    part.pre_date = Text(date, sizeof(date));
    Count(ReadNotifyDonePreStop(store, &part.confirmed, i), report);
  }
  report->store_usable = root == kOk && report->store_errors == 0;
  JudgeParts(now, report);
}

}  // namespace quillon
