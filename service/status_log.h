#ifndef QUILLON_SERVICE_STATUS_LOG_H_
#define QUILLON_SERVICE_STATUS_LOG_H_

#include <cstdint>
#include <string>

#include "common/settings/language.h"
#include "platform/event_log.h"
#include "platform/store.h"

namespace quillon {

class TraceLog;

// The server statistics of the lifetime check. The pointers are not owned; used from the
// check thread only. Store write failures are ignored.

// Recomputes AverageTime: RunningTime divided by the days (with fraction) from InstallDate to
// `now` (a day count), at most 24.0, written as "%.1f". Leaves AverageTime untouched when
// InstallDate is unreadable, empty or not a valid date and time, when less than one day has
// passed since it, or when RunningTime is unreadable or 0.
void UpdateAverageTime(Store* store, double now);

// The status text in `language` for the install date, the
// server's running hours (LifeTime) and the average.
std::string FormatStatusText(Language language, const char* install_date, uint32_t lifetime,
                             const char* average);

// Writes the daily status entry: reads AverageTime and InstallDate ("--" when unreadable),
// LifeTime and RunningTime (0 when unreadable), reports event 0x400203EC (information,
// strings "TALVEN" and the status text) and traces the line
// "Status: [Install=%s] [LifeTime=%lu] [RunningTime=%lu] [Average=%s].".
void WriteStatusEntry(Store* store, EventLog* event_log, TraceLog* trace, Language language);

}  // namespace quillon

#endif  // QUILLON_SERVICE_STATUS_LOG_H_
