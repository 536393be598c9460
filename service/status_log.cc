#include "service/status_log.h"

#include <cstdio>
#include <cstring>

#include "common/lifetime/stored_dates.h"
#include "common/log/event_report.h"
#include "common/log/trace_log.h"
#include "common/settings/settings.h"

namespace quillon {
namespace {

constexpr char kSource[] = "TALVEN";
constexpr double kMaxAverage = 24.0;

}  // namespace

void UpdateAverageTime(Store* store, double now) {
  char install[kInstallDateTextSize] = "";
  ReadInstallDate(store, install);
  if (install[0] == '\0') return;
  double installed = 0;
  if (!ParseDateTimeText(install, sizeof(install), &installed)) return;
  const double days = now - installed;
  uint32_t running = 0;
  ReadRunningTime(store, &running);
  if (days < 1.0 || running == 0) return;
  double average = running / days;
  if (average > kMaxAverage) average = kMaxAverage;
  char text[kAverageTextSize] = {};
  std::snprintf(text, sizeof(text), "%.1f", average);
  WriteAverageTime(store, text);
}

std::string FormatStatusText(Language language, const char* install_date, uint32_t lifetime,
                             const char* average) {
  char text[256];
  if (language == Language::kJapanese) {
    std::snprintf(text, sizeof(text), "インストール:%s  サーバ稼動時間:%lu  平均稼動時間/日:%s",
                  install_date, static_cast<unsigned long>(lifetime), average);
  } else {
    std::snprintf(text, sizeof(text),
                  "Install: %s  ServerRunningTime: %lu hours (%s hours a day on the average).",
                  install_date, static_cast<unsigned long>(lifetime), average);
  }
  return text;
}

void WriteStatusEntry(Store* store, EventLog* event_log, TraceLog* trace, Language language) {
  char average[kAverageTextSize] = "--";
  ReadAverageTime(store, average);
  char install[kInstallDateTextSize] = "--";
  ReadInstallDate(store, install);
  uint32_t lifetime = 0;
  ReadServerHours(store, &lifetime);
  uint32_t running = 0;
  ReadRunningTime(store, &running);
  const std::string text = FormatStatusText(language, install, lifetime, average);
  ReportLogEvent(event_log, language, kSource, kSource, kEventTypeInformation, kEventStatus,
                 text.c_str());
  trace->Tracef("Status: [Install=%s] [LifeTime=%lu] [RunningTime=%lu] [Average=%s].", install,
                static_cast<unsigned long>(lifetime), static_cast<unsigned long>(running), average);
}

}  // namespace quillon
