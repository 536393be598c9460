// The status table, the status JSON document and the forecast of quillonctl.
#include <iomanip>
#include <sstream>

#include "common/settings/schema.h"
#include "tools/ctl/ctl_internal.h"
#include "tools/ctl/ctl_texts.h"

namespace quillon::ctl {
namespace {

std::string OrDash(const std::string& s) { return s.empty() ? "-" : s; }

std::string NoticeDates(uint32_t flag, const std::string& date) {
  // The store keeps one date per notice kind: the first notice's, moved on by every repeat.
  return flag != 0 ? "1 " + OrDash(date) : "0";
}

void Row(std::ostream& out, const std::vector<std::string>& cells) {
  static constexpr int kWidths[] = {22, 8, 12, 7, 6, 10, 14, 26, 26, 9};
  for (size_t i = 0; i < cells.size(); ++i) {
    // The last column is not padded, so no line ends in blanks.
    if (i + 1 < cells.size()) out << std::left << std::setw(kWidths[i]);
    out << cells[i];
  }
  out << "\n";
}

}  // namespace

void WriteStatusTable(CtlContext& c, bool running) {
  const int lang = c.language;
  const LifetimeReport& report = c.Report();
  Row(c.out, {kHeadPart.In(lang), kHeadCounted.In(lang), kHeadValue.In(lang), kHeadLife.In(lang),
              kHeadLead.In(lang), kHeadRemaining.In(lang), kHeadState.In(lang), kHeadPre.In(lang),
              kHeadLimit.In(lang), kHeadConfirmed.In(lang)});
  for (const PartReport& p : report.parts) {
    std::string name = p.name;
    if (!p.fitted) name += std::string(" ") + kNotFitted.In(lang);
    Row(c.out,
        {name, p.hour_counted ? kByHours.In(lang) : kByDate.In(lang),
         p.hour_counted ? std::to_string(p.hours) : OrDash(p.setup_date), std::to_string(p.limit),
         std::to_string(p.lead), p.has_remaining ? std::to_string(p.remaining) : "-",
         PartStateName(p.state), NoticeDates(p.pre_flag, p.pre_date),
         NoticeDates(p.limit_flag, p.limit_date), p.confirmed != 0 ? kYes.In(lang) : kNo.In(lang)});
  }
  const ServerReport& s = report.server;
  c.out << "\n"
        << kServerHours.In(lang) << ": " << s.hours << "\n"
        << kRunningTime.In(lang) << ": " << s.running_time << "\n"
        << kAverage.In(lang) << ": " << OrDash(s.average_time) << "\n"
        << kInstallDate.In(lang) << ": " << OrDash(s.install_date) << "\n"
        << kService.In(lang) << ": " << (running ? kRunning.In(lang) : kNotRunning.In(lang))
        << "\n";
}

void WriteStatusJson(CtlContext& c, bool running, int exit_bits) {
  const LifetimeReport& report = c.Report();
  std::ostringstream o;
  o << "{\n  \"json_format_version\": " << kJsonFormatVersion << ",\n"
    << "  \"program\": \"quillonctl\",\n"
    << "  \"language\": " << (c.language == 0 ? "\"ja\"" : "\"en\"") << ",\n"
    << "  \"local_time\": " << JsonString(DayText(c.now)) << ",\n"
    << "  \"store\": {\"path\": " << JsonString(c.env.store_name)
    << ", \"usable\": " << (report.store_usable ? "true" : "false")
    << ", \"errors\": " << report.store_errors << "},\n"
    << "  \"parts\": [\n";
  for (size_t i = 0; i < report.parts.size(); ++i) {
    const PartReport& p = report.parts[i];
    o << "    {\"index\": " << p.index << ", \"name\": " << JsonString(p.name)
      << ", \"counted_by\": " << (p.hour_counted ? "\"hours\"" : "\"date\"")
      << ", \"fitted\": " << (p.fitted ? "true" : "false");
    if (p.hour_counted) {
      o << ", \"hours\": " << p.hours << ", \"setup_date\": null";
    } else {
      o << ", \"hours\": null, \"setup_date\": " << JsonStringOrNull(p.setup_date);
    }
    o << ", \"life_hours\": " << p.limit << ", \"lead_hours\": " << p.lead
      << ", \"remaining_hours\": " << (p.has_remaining ? std::to_string(p.remaining) : "null")
      << ", \"next_change\": " << JsonStringOrNull(p.next_change)
      << ", \"state\": " << JsonString(PartStateName(p.state))
      << ", \"pre_warning\": {\"notified\": " << (p.pre_flag != 0 ? "true" : "false")
      << ", \"date\": " << JsonStringOrNull(p.pre_date) << "}"
      << ", \"limit_notice\": {\"notified\": " << (p.limit_flag != 0 ? "true" : "false")
      << ", \"date\": " << JsonStringOrNull(p.limit_date) << "}"
      << ", \"confirmed\": " << (p.confirmed != 0 ? "true" : "false")
      << ", \"support_stop\": " << (p.support_stop != 0 ? "true" : "false") << "}"
      << (i + 1 < report.parts.size() ? ",\n" : "\n");
  }
  const ServerReport& s = report.server;
  o << "  ],\n  \"server\": {\"operating_hours\": " << s.hours
    << ", \"running_time\": " << s.running_time
    << ", \"average_per_day\": " << JsonStringOrNull(s.average_time)
    << ", \"install_date\": " << JsonStringOrNull(s.install_date)
    << ", \"raid_count\": " << s.raid_count << ", \"check_interval_minutes\": " << s.check_minutes
    << "},\n"
    << "  \"service\": {\"running\": " << (running ? "true" : "false") << "},\n"
    << "  \"exit_status\": " << exit_bits << "\n}\n";
  c.out << o.str();
}

void WriteForecast(CtlContext& c, const std::vector<ForecastEvent>& events, bool has_at,
                   double until, bool json) {
  const int lang = c.language;
  const LifetimeReport& report = c.Report();
  std::vector<const ForecastEvent*> shown;
  for (const ForecastEvent& e : events) {
    // With --at: the first notices still to come that fire by then.
    if (has_at && (e.day >= until || e.notified || e.silenced)) continue;
    shown.push_back(&e);
  }
  if (json) {
    std::ostringstream o;
    o << "{\n  \"json_format_version\": " << kJsonFormatVersion << ",\n"
      << "  \"program\": \"quillonctl\",\n"
      << "  \"local_time\": " << JsonString(DayText(c.now)) << ",\n"
      << "  \"hours_per_day\": " << HoursPerDay(report.server.average_time) << ",\n"
      << "  \"at\": " << (has_at ? JsonString(DayText(until - 1.0)) : "null") << ",\n"
      << "  \"events\": [\n";
    for (size_t i = 0; i < shown.size(); ++i) {
      const ForecastEvent& e = *shown[i];
      o << "    {\"part\": " << JsonString(report.parts[e.index].name) << ", \"index\": " << e.index
        << ", \"notice\": " << (e.limit ? "\"limit\"" : "\"pre-warning\"")
        << ", \"date\": " << JsonString(DayText(e.day))
        << ", \"reached\": " << (e.reached ? "true" : "false")
        << ", \"notified\": " << (e.notified ? "true" : "false")
        << ", \"silenced\": " << (e.silenced ? "true" : "false") << "}"
        << (i + 1 < shown.size() ? ",\n" : "\n");
    }
    o << "  ]\n}\n";
    c.out << o.str();
    return;
  }
  if (has_at && shown.empty()) {
    c.out << Format(kForecastNone.In(lang), DayText(until - 1.0)) << "\n";
    return;
  }
  c.out << kForecastHead.In(lang) << "\n";
  for (const ForecastEvent* e : shown) {
    c.out << DayText(e->day) << " " << std::left << std::setw(9) << report.parts[e->index].name
          << " " << (e->limit ? kForecastLimit.In(lang) : kForecastPre.In(lang));
    if (e->reached) c.out << " " << kForecastReached.In(lang);
    if (e->notified) c.out << " " << kForecastNotified.In(lang);
    if (e->silenced) c.out << " " << kForecastSilenced.In(lang);
    c.out << "\n";
  }
}

}  // namespace quillon::ctl
