#include "common/lifetime/prometheus_text.h"

#include <charconv>

namespace quillon {
namespace {

constexpr PartState kStates[] = {PartState::kOk, PartState::kPreWarning, PartState::kOverLimit,
                                 PartState::kNotMonitored, PartState::kSilenced};

constexpr int64_t kSecondsPerHour = 3600;

int64_t Seconds(int64_t hours) { return hours * kSecondsPerHour; }

void Header(std::string* out, const char* name, const char* help) {
  out->append("# HELP ").append(name).append(" ").append(help).append("\n# TYPE ");
  out->append(name).append(" gauge\n");
}

void Number(std::string* out, int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  out->append(buffer, result.ptr);
  out->push_back('\n');
}

void PartSample(std::string* out, const char* name, const PartReport& part, int64_t value) {
  out->append(name).append("{part=\"").append(part.name).append("\"} ");
  Number(out, value);
}

void Sample(std::string* out, const char* name, int64_t value) {
  out->append(name).push_back(' ');
  Number(out, value);
}

}  // namespace

std::string FormatPrometheusText(const LifetimeReport& report, const MetricsContext& context) {
  std::string out;
  out.reserve(16384);
  const auto& parts = report.parts;

  // Durations go out in seconds, Prometheus's base unit; the store counts whole hours.
  Header(&out, "quillon_part_running_seconds", "Running time of an hour-counted part.");
  for (const PartReport& p : parts) {
    if (p.hour_counted) PartSample(&out, "quillon_part_running_seconds", p, Seconds(p.hours));
  }
  Header(&out, "quillon_part_life_seconds", "Rated life of a part (0: not monitored).");
  for (const PartReport& p : parts)
    PartSample(&out, "quillon_part_life_seconds", p, Seconds(p.limit));
  Header(&out, "quillon_part_lead_seconds", "Pre-warning lead of a part.");
  for (const PartReport& p : parts)
    PartSample(&out, "quillon_part_lead_seconds", p, Seconds(p.lead));
  Header(&out, "quillon_part_remaining_seconds",
         "Time left until a monitored part reaches its rated life (negative past it).");
  for (const PartReport& p : parts) {
    if (p.has_remaining) {
      PartSample(&out, "quillon_part_remaining_seconds", p, Seconds(p.remaining));
    }
  }
  Header(&out, "quillon_part_state", "1 for the state a part is in, 0 for the others.");
  for (const PartReport& p : parts) {
    for (const PartState s : kStates) {
      out.append("quillon_part_state{part=\"").append(p.name).append("\",state=\"");
      out.append(PartStateName(s)).append("\"} ");
      Number(&out, s == p.state ? 1 : 0);
    }
  }
  Header(&out, "quillon_part_fitted",
         "1 when the part is fitted (RAID controllers up to RAIDCount).");
  for (const PartReport& p : parts) PartSample(&out, "quillon_part_fitted", p, p.fitted ? 1 : 0);
  Header(&out, "quillon_part_pre_warning_notified", "1 when the pre-warning has been given.");
  for (const PartReport& p : parts) {
    PartSample(&out, "quillon_part_pre_warning_notified", p, p.pre_flag != 0 ? 1 : 0);
  }
  Header(&out, "quillon_part_limit_notified", "1 when the limit notice has been given.");
  for (const PartReport& p : parts) {
    PartSample(&out, "quillon_part_limit_notified", p, p.limit_flag != 0 ? 1 : 0);
  }
  Header(&out, "quillon_part_confirmed", "1 when the operator stopped repeated pre-warnings.");
  for (const PartReport& p : parts) {
    PartSample(&out, "quillon_part_confirmed", p, p.confirmed != 0 ? 1 : 0);
  }

  Header(&out, "quillon_server_operating_seconds", "Operating time of the server.");
  Sample(&out, "quillon_server_operating_seconds", Seconds(report.server.hours));
  Header(&out, "quillon_server_running_seconds",
         "Time the service has counted since installation.");
  Sample(&out, "quillon_server_running_seconds", Seconds(report.server.running_time));
  Header(&out, "quillon_check_interval_seconds", "The service's check interval.");
  Sample(&out, "quillon_check_interval_seconds", int64_t{report.server.check_minutes} * 60);
  if (context.last_cycle_unix >= 0) {
    Header(&out, "quillon_last_check_cycle_timestamp_seconds",
           "When the service's last check cycle ended (Unix time).");
    Sample(&out, "quillon_last_check_cycle_timestamp_seconds", context.last_cycle_unix);
  }
  Header(&out, "quillon_store_errors", "Settings reads that failed while these metrics were made.");
  Sample(&out, "quillon_store_errors", report.store_errors);
  return out;
}

}  // namespace quillon
