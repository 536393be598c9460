#include "tools/ctl/ctl_command.h"

#include <cstdio>
#include <cstring>
#include <iomanip>
#include <sstream>
#include <string_view>

#include "common/lifetime/forecast.h"
#include "common/lifetime/part_report.h"
#include "common/lifetime/prometheus_text.h"
#include "common/lifetime/stored_dates.h"
#include "common/settings/settings.h"
#include "platform/date_time.h"
#include "tools/ctl/ctl_internal.h"
#include "tools/ctl/ctl_texts.h"

namespace quillon {
namespace ctl {

std::string Format(const char* format, const std::string& arg) {
  char buffer[512];
  std::snprintf(buffer, sizeof(buffer), format, arg.c_str());
  return buffer;
}

std::string FormatStatus(const char* format, long value) {
  char buffer[512];
  std::snprintf(buffer, sizeof(buffer), format, value);
  return buffer;
}

int FindPart(std::string_view name) {
  for (int i = 0; i < kNotifyCount; ++i) {
    const char* candidate = NotifyFlagName(i);
    if (std::strlen(candidate) != name.size()) continue;
    bool same = true;
    for (size_t k = 0; k < name.size() && same; ++k) {
      const char c = name[k] >= 'a' && name[k] <= 'z' ? static_cast<char>(name[k] - 32) : name[k];
      same = c == candidate[k];
    }
    if (same) return i;
  }
  return -1;
}

std::string DayText(double day) {
  char text[kDateTextSize];
  FormatDateText(FromDayCount(day), text, sizeof(text));
  return text;
}

std::string JsonString(std::string_view s) {
  std::string out = "\"";
  for (const char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char esc[8];
          std::snprintf(esc, sizeof(esc), "\\u%04x", c);
          out += esc;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string JsonStringOrNull(const std::string& s) { return s.empty() ? "null" : JsonString(s); }

}  // namespace ctl

namespace {

using ctl::CtlContext;

constexpr char kVersion[] = "5.1";

constexpr char kUsage[] =
    "Usage: quillonctl COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  status [--json]                      every part, then the server and the service\n"
    "  forecast [--json] [--at YYYY/MM/DD]  when each part enters its pre-warning window and\n"
    "                                       reaches its limit; with --at, the notices that\n"
    "                                       fire by the end of that day\n"
    "  replaced PART [--hours N | --date YYYY/MM/DD]\n"
    "                                       record a replaced part (hours default 0, date\n"
    "                                       default today) and tell the service\n"
    "  confirm PART                         stop repeated pre-warnings of PART\n"
    "  test-notice [PART]                   show a test notice and write a journal event\n"
    "  metrics                              the Prometheus text format\n"
    "  check                                a monitoring plugin: one status line, exit 0-3\n"
    "  --help, --version\n"
    "\n"
    "PART is a store name in any case: CPU_FAN, PSU, CAIS_FAN, UPS, RAID01 ... RAID16.\n"
    "Exit status bits: 1 command line, 2 store unusable or a write failed, 4 service not\n"
    "running or not answering, 8 a part in pre-warning, 16 a part over its limit.\n";

int UsageError(std::ostream& err, const std::string& message) {
  err << "quillonctl: " << message << "\n" << kUsage;
  return kExitCommandLine;
}

// The report's bits for the parts: silenced parts give no notices and set none.
int PartBits(const LifetimeReport& report) {
  int bits = 0;
  for (const PartReport& part : report.parts) {
    if (part.state == PartState::kPreWarning) bits |= kExitPreWarning;
    if (part.state == PartState::kOverLimit) bits |= kExitOverLimit;
  }
  return bits;
}

int CmdStatus(CtlContext& c, bool json) {
  const LifetimeReport& report = c.Report();
  const bool running = c.ServiceRunning();
  int bits = PartBits(report) | (running ? 0 : kExitService);
  if (!report.store_usable) bits |= kExitStore;
  if (json) {
    ctl::WriteStatusJson(c, running, bits);
  } else {
    if (!report.store_usable) {
      c.err << ctl::Format(ctl::kStoreUnusable.In(c.language), c.env.store_name) << "\n";
    }
    ctl::WriteStatusTable(c, running);
  }
  return bits;
}

int CmdForecast(CtlContext& c, bool json, const std::string& at) {
  double until = 0;
  const bool has_at = !at.empty();
  if (has_at) {
    if (!ParseDateText(at.c_str(), at.size() + 1, &until)) {
      c.err << ctl::Format(ctl::kBadDate.In(c.language), at) << "\n";
      return kExitCommandLine;
    }
    until += 1.0;  // by the end of that day
  }
  const LifetimeReport& report = c.Report();
  const std::vector<ForecastEvent> events =
      Forecast(report, c.now, HoursPerDay(report.server.average_time));
  ctl::WriteForecast(c, events, has_at, until, json);
  return report.store_usable ? 0 : kExitStore;
}

int CmdMetrics(CtlContext& c) {
  MetricsContext context;
  char dir[kMetricsDirTextSize] = "";
  ReadMetricsTextfileDir(c.env.store, dir);
  if (dir[0] != '\0' && c.env.read_file) {
    std::string path(dir);
    if (path.back() != '/') path.push_back('/');
    // The service's own file knows when its last check cycle ended.
    const std::string text = c.env.read_file(path + "quillon.prom");
    constexpr std::string_view kLast = "\nquillon_last_check_cycle_timestamp_seconds ";
    const size_t at = text.find(kLast);
    if (at != std::string::npos) {
      context.last_cycle_unix = std::strtoll(text.c_str() + at + kLast.size(), nullptr, 10);
    }
  }
  c.out << FormatPrometheusText(c.Report(), context);
  return c.Report().store_usable ? 0 : kExitStore;
}

// The monitoring plugin: one line "QUILLON <STATE> - <summary> | <perfdata>".
int CmdCheck(CtlContext& c) {
  const LifetimeReport& report = c.Report();
  if (!report.store_usable) {
    c.out << "QUILLON UNKNOWN - settings store " << c.env.store_name << " cannot be read\n";
    return 3;
  }
  const bool running = c.ServiceRunning();
  std::string over, pre;
  std::ostringstream perf;
  for (const PartReport& part : report.parts) {
    if (part.state == PartState::kOverLimit)
      over += (over.empty() ? "" : ",") + std::string(part.name);
    if (part.state == PartState::kPreWarning)
      pre += (pre.empty() ? "" : ",") + std::string(part.name);
    if (part.has_remaining && part.state != PartState::kSilenced) {
      // Warning below the lead, critical below one hour; the lowest value is 0 only by choice
      // of the display, the value itself goes negative past the limit.
      perf << " '" << part.name << "_remaining_hours'=" << part.remaining << ';' << part.lead
           << ":;1:";
    }
  }
  perf << " 'server_hours'=" << report.server.hours << "c";
  int state = 0;
  if (!pre.empty()) state = 1;
  if (!over.empty() || !running) state = 2;
  static constexpr const char* kNames[] = {"OK", "WARNING", "CRITICAL"};
  c.out << "QUILLON " << kNames[state] << " - ";
  std::string summary;
  if (!running) summary = "service not running";
  if (!over.empty()) summary += (summary.empty() ? "" : "; ") + std::string("over limit: ") + over;
  if (!pre.empty()) summary += (summary.empty() ? "" : "; ") + std::string("pre-warning: ") + pre;
  if (summary.empty()) summary = "all parts within their life";
  c.out << summary << " |" << perf.str() << "\n";
  return state;
}

}  // namespace

namespace ctl {

const LifetimeReport& CtlContext::Report() {
  if (!report_read_) {
    ReadLifetimeReport(env.store, now, &report_);
    report_read_ = true;
  }
  return report_;
}

bool CtlContext::ServiceRunning() {
  if (!probed_) {
    running_ = env.probe && env.probe() == kOk;
    probed_ = true;
  }
  return running_;
}

}  // namespace ctl

int RunCtl(const std::vector<std::string>& args, const CtlEnv& env, std::ostream& out,
           std::ostream& err) {
  if (args.empty()) return UsageError(err, "no command given");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    out << kUsage;
    return 0;
  }
  if (command == "--version") {
    out << "quillonctl " << kVersion << "\n";
    return 0;
  }

  uint32_t language = 1;
  ReadLanguage(env.store, env.system, &language);
  CtlContext c{env, out, err, static_cast<int>(language), ToDayCount(env.clock->Now())};

  // Options after the command: --json, --at D, --hours N, --date D; one positional PART.
  bool json = false;
  std::string at, hours, date, part;
  bool has_hours = false, has_date = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* into) {
      if (i + 1 >= args.size()) return false;
      *into = args[++i];
      return true;
    };
    if (a == "--json") {
      json = true;
    } else if (a == "--at") {
      if (!value(&at)) return UsageError(err, "--at needs a date");
    } else if (a == "--hours") {
      if (!value(&hours)) return UsageError(err, "--hours needs a number");
      has_hours = true;
    } else if (a == "--date") {
      if (!value(&date)) return UsageError(err, "--date needs a date");
      has_date = true;
    } else if (!a.empty() && a[0] == '-') {
      return UsageError(err, "unknown option " + a);
    } else if (part.empty()) {
      part = a;
    } else {
      return UsageError(err, "unexpected argument " + a);
    }
  }
  const bool takes_part = command == "replaced" || command == "confirm" || command == "test-notice";
  if (!part.empty() && !takes_part) return UsageError(err, "unexpected argument " + part);
  if (json && command != "status" && command != "forecast") {
    return UsageError(err, "--json belongs to status and forecast");
  }
  if (!at.empty() && command != "forecast") return UsageError(err, "--at belongs to forecast");
  if ((has_hours || has_date) && command != "replaced") {
    return UsageError(err, "--hours and --date belong to replaced");
  }

  if (command == "status") return CmdStatus(c, json);
  if (command == "forecast") return CmdForecast(c, json, at);
  if (command == "metrics") return CmdMetrics(c);
  if (command == "check") return CmdCheck(c);
  if (command == "replaced" || command == "confirm") {
    if (part.empty()) return UsageError(err, command + " needs a PART");
    const int index = ctl::FindPart(part);
    if (index < 0) {
      err << ctl::Format(ctl::kUnknownPart.In(c.language), part) << "\n";
      return kExitCommandLine;
    }
    if (command == "confirm") return ctl::Confirm(c, index);
    if (has_hours && has_date) return UsageError(err, "give --hours or --date, not both");
    return ctl::Replaced(c, index, has_hours ? &hours : nullptr, has_date ? &date : nullptr);
  }
  if (command == "test-notice") {
    int index = -1;
    if (!part.empty()) {
      index = ctl::FindPart(part);
      if (index < 0) {
        err << ctl::Format(ctl::kUnknownPart.In(c.language), part) << "\n";
        return kExitCommandLine;
      }
    }
    return ctl::TestNotice(c, index);
  }
  return UsageError(err, "unknown command " + command);
}

}  // namespace quillon
