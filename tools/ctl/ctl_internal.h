#ifndef QUILLON_TOOLS_CTL_CTL_INTERNAL_H_
#define QUILLON_TOOLS_CTL_CTL_INTERNAL_H_

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "common/lifetime/forecast.h"
#include "common/lifetime/part_report.h"
#include "tools/ctl/ctl_command.h"

namespace quillon::ctl {

// One run of quillonctl: its environment, streams, language and moment. The report and the
// service probe are taken once, when first needed.
struct CtlContext {
  CtlContext(const CtlEnv& e, std::ostream& o, std::ostream& r, int lang, double day)
      : env(e), out(o), err(r), language(lang), now(day) {}

  const CtlEnv& env;
  std::ostream& out;
  std::ostream& err;
  int language;  // 0 Japanese, 1 English
  double now;    // day count

  const LifetimeReport& Report();
  bool ServiceRunning();

 private:
  LifetimeReport report_;
  bool report_read_ = false;
  bool probed_ = false;
  bool running_ = false;
};

// `format` with its one %s (or %ld) filled in.
std::string Format(const char* format, const std::string& arg);
std::string FormatStatus(const char* format, long value);
// The NotifyIndex of a store name in any case, -1 when there is none.
int FindPart(std::string_view name);
// A day count as "%Y/%m/%d".
std::string DayText(double day);
// A JSON string literal; "null" for an empty text in the second form.
std::string JsonString(std::string_view s);
std::string JsonStringOrNull(const std::string& s);

// The outputs (ctl_output.cc).
void WriteStatusTable(CtlContext& c, bool running);
void WriteStatusJson(CtlContext& c, bool running, int exit_bits);
void WriteForecast(CtlContext& c, const std::vector<ForecastEvent>& events, bool has_at,
                   double until, bool json);

// The changes (ctl_change.cc); each returns the exit status.
int Replaced(CtlContext& c, int index, const std::string* hours, const std::string* date);
int Confirm(CtlContext& c, int index);
int TestNotice(CtlContext& c, int index);

}  // namespace quillon::ctl

#endif  // QUILLON_TOOLS_CTL_CTL_INTERNAL_H_
