// quillonctl against a real store and the real TALVENSV -debug in the service sandbox, compared
// with the lifetime dialog's presenter and with the check engine on a fake clock.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "gui/core/lifetime_presenter.h"
#include "gui/core/testing/recording_prompter.h"
#include "platform/date_time.h"
#include "platform/fakes/memory_store.h"
#include "platform/platform.h"
#include "service/limit_check_test_util.h"
#include "tests/common/service_sandbox.h"

namespace quillon {
namespace {

constexpr uint32_t kBoundMs = 20000;  // only a hung service ever makes a test wait this long

struct Result {
  int exit = -1;
  std::string out;
};

// Runs quillonctl with `args` in the sandbox's environment (the sandbox has set
// QUILLON_REGISTRY and QUILLON_RUNTIME_DIR for this process); its messages follow its output.
Result Ctl(const std::string& args) {
  Result r;
  FILE* pipe = popen((std::string(QUILLONCTL_PATH) + " " + args + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return r;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  const int status = pclose(pipe);
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// Every value below `key`, as "key\name" -> type and bytes.
void Dump(Store* store, const std::string& key, std::map<std::string, std::string>* out) {
  std::vector<StoreValue> values;
  if (store->ListValues(key, &values) == kOk) {
    for (const StoreValue& v : values) {
      (*out)[key + "\\" + v.name] = std::to_string(static_cast<int>(v.type)) + ":" + v.data;
    }
  }
  std::vector<std::string> subkeys;
  if (store->ListSubkeys(key, &subkeys) != kOk) return;
  for (const std::string& sub : subkeys) Dump(store, key + "\\" + sub, out);
}

void Copy(Store* from, const std::string& key, Store* to) {
  std::vector<StoreValue> values;
  to->CreateKey(key);
  if (from->ListValues(key, &values) == kOk) {
    for (const StoreValue& v : values) to->SetValue(key, v.name, v.type, v.data);
  }
  std::vector<std::string> subkeys;
  if (from->ListSubkeys(key, &subkeys) != kOk) return;
  for (const std::string& sub : subkeys) Copy(from, key + "\\" + sub, to);
}

std::string DateText(double day) {
  const LocalDateTime t = FromDayCount(day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", t.year, t.month, t.day);
  return text;
}

class CtlSystemTest : public ::testing::Test {
 protected:
  // A server of 30000 hours with a five-year support period: the CPU fan in its pre-warning
  // window (17000 of 17520, lead 8750), the housing fans five days before theirs, the PSU
  // not monitored, the UPS battery in its window with its limit 8 days ahead, and RAID01 past
  // its limit.
  void SetUp() override {
    box_.InstallRecordingNotifier("TALVENMS");
    Store* s = box_.store();
    auto dword = [s](const char* key, const char* name, uint32_t v) {
      s->SetValue(key, name, ValueType::kDword, std::string(reinterpret_cast<char*>(&v), 4));
    };
    auto text = [s](const char* key, const char* name, const std::string& t, size_t size) {
      std::string data = t;
      data.resize(size, '\0');
      s->SetValue(key, name, ValueType::kSz, data);
    };
    // The service's metrics file goes into the sandbox's directory, whose changes WaitFor sees.
    text(kRootKey, "MetricsTextfileDir", box_.dir(), 256);
    dword(kRootKey, "Language", 1);
    dword(kRootKey, "LifeTime", 30000);
    dword(kRootKey, "SupportLimit", 5);
    dword(kRootKey, "LimitCheckTimer", 60);
    text(kRootKey, "AverageTime", "24.0", 8);
    dword(kNotifyMethodKey, "DSP", 1);
    dword(kNotifyMethodKey, "LCD", 0);
    dword(kCurrentKey, "CPU_FAN", 17000);
    dword(kLimitKey, "CPU_FAN", 17520);
    dword(kLimitPreKey, "CPU_FAN", 8750);
    dword(kCurrentKey, "CAIS_FAN", 41130);
    dword(kLimitKey, "CAIS_FAN", 50000);
    dword(kLimitPreKey, "CAIS_FAN", 8750);
    dword(kCurrentKey, "PSU", 0);
    dword(kLimitKey, "PSU", 0);
    dword(kLimitPreKey, "PSU", 8750);
    const double today = static_cast<double>(static_cast<int64_t>(ToDayCount(clock_->Now())));
    text(kSetupDateKey, "UPS", DateText(today - 722), 16);
    dword(kLimitKey, "UPS", 17520);
    dword(kLimitPreKey, "UPS", 2160);
    dword(kSetupDateKey, "RAIDCount", 1);
    text(kSetupDateKey, "RAID01", DateText(today - 1200), 16);
    dword(kLimitKey, "RAID01", 26280);
    dword(kLimitPreKey, "RAID01", 4320);
    dword(kRaidConsumablesKey, "RAID01", 1);
    for (int i = 0; i < kNotifyCount; ++i) {
      dword(kNotifyDoneKey, NotifyFlagName(i), 0);
      dword(kNotifyDonePreKey, NotifyFlagName(i), 0);
      dword(kNotifyDonePreStopKey, NotifyFlagName(i), 0);
    }
  }

  // Starts the service and waits for the end of its start cycle, which the metrics file
  // written after every cycle marks.
  void StartService() {
    ASSERT_TRUE(box_.Start()) << box_.start_error();
    const std::string file = MetricsFile();
    ASSERT_TRUE(box_.WaitFor([&file] { return access(file.c_str(), R_OK) == 0; }, kBoundMs))
        << box_.Trace();
  }

  std::string MetricsFile() { return box_.dir() + "/quillon.prom"; }

  void StopService() {
    size_t n = 0;
    box_.Call("ORNA_PIPE", std::string("X9", 3), &n);
    EXPECT_EQ(box_.WaitExit(kBoundMs), 0);
  }

  ServiceSandbox box_;
  std::unique_ptr<Clock> clock_ = NewClock();
};

// The metrics without the remaining hours of the date-counted parts, which move with the clock.
std::string StableMetrics(const std::string& text) {
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (line.rfind("quillon_part_remaining_seconds{part=\"UPS\"", 0) != 0 &&
        line.rfind("quillon_part_remaining_seconds{part=\"RAID", 0) != 0) {
      out += line + "\n";
    }
    start = end + 1;
  }
  return out;
}

TEST_F(CtlSystemTest, TheServiceWritesTheSameMetricsAsQuillonctl) {
  StartService();
  const std::string file = MetricsFile();
  std::ifstream in(file);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(written.find("\nquillon_last_check_cycle_timestamp_seconds "), std::string::npos);
  EXPECT_EQ(access((file + ".tmp").c_str(), F_OK), -1) << "the temporary file is renamed";
  Result printed = Ctl("metrics");
  EXPECT_EQ(printed.exit, 0);
  EXPECT_EQ(StableMetrics(printed.out), StableMetrics(written));
  StopService();
}

TEST_F(CtlSystemTest, StatusBeforeAndAfterACycleAgreesWithTheNotices) {
  Result before = Ctl("status --json");
  // Service not running, a part in pre-warning and one over its limit.
  EXPECT_EQ(before.exit, 4 | 8 | 16) << before.out;
  EXPECT_NE(before.out.find("\"name\": \"CPU_FAN\", \"counted_by\": \"hours\", \"fitted\": true, "
                            "\"hours\": 17000"),
            std::string::npos)
      << before.out;

  StartService();
  Result after = Ctl("status --json");
  EXPECT_EQ(after.exit, 8 | 16) << after.out;
  // Every part status calls pre-warning got a pre-warning on screen (with its item number),
  // every part over its limit a limit notice, and nothing else.
  const std::string calls = box_.Calls();
  int launches = 0;
  for (size_t at = 0; (at = calls.find("TALVENMS<", at)) != std::string::npos; ++at) ++launches;
  EXPECT_EQ(launches, 3) << calls;
  EXPECT_NE(calls.find("CPU FAN"), std::string::npos) << calls;
  EXPECT_NE(calls.find("UPS's BBUs"), std::string::npos) << calls;
  EXPECT_NE(calls.find("RAID#01"), std::string::npos) << calls;
  Result table = Ctl("status");
  EXPECT_NE(table.out.find("TALVEN service: running"), std::string::npos) << table.out;
  size_t pre = 0, over = 0;
  for (size_t at = 0; (at = after.out.find("\"state\": \"pre-warning\"", at)) != std::string::npos;
       ++at) {
    ++pre;
  }
  for (size_t at = 0; (at = after.out.find("\"state\": \"over-limit\"", at)) != std::string::npos;
       ++at) {
    ++over;
  }
  EXPECT_EQ(pre, 2u);
  EXPECT_EQ(over, 1u);
  // The pre-warnings are now on record.
  EXPECT_NE(after.out.find("\"pre_warning\": {\"notified\": true"), std::string::npos);
  StopService();
}

TEST_F(CtlSystemTest, ReplacedWritesWhatTheDialogWritesAndTheServiceClearsTheSame) {
  StartService();
  // The dialog's road on a copy of the same store, with the engine in the service's place.
  EngineRig rig;
  Copy(box_.store(), kRootKey, &rig.store);
  rig.clock.Set(clock_->Now());
  rig.Engine().Cycle(CycleReason::kStart);

  Result r = Ctl("replaced cpu_fan --hours 0");
  EXPECT_EQ(r.exit, 0) << r.out << box_.Trace();

  gui::RecordingPrompter prompter;
  prompter.AnswerNext(true);
  gui::PsuProgramState psu;
  gui::LifetimePresenter presenter(
      &rig.store, &prompter, &psu,
      [&rig](const char* request, size_t size) {
        char reply[kPipeRecordSize];
        rig.Engine().OnPartsChanged(request, size, reply);
        return kOk;
      },
      1);
  presenter.Open();
  gui::LifetimeForm form;
  for (int row = 0; row < gui::kPartRows; ++row)
    form.running[row] = presenter.record().current[row];
  form.running[gui::kRowServer] = presenter.server_hours();
  form.running[gui::kRowCpuFan] = 0;
  for (int row = 0; row < gui::kDateRows; ++row) form.dates[row] = presenter.DateText(row);
  for (int i = 0; i < kNotifyCount; ++i) form.confirmed[i] = presenter.ConfirmTicked(i);
  ASSERT_EQ(presenter.Save(&form), gui::LifetimePresenter::SaveResult::kClose);

  std::map<std::string, std::string> by_ctl, by_dialog;
  Dump(box_.store(), kLifeTimeKey, &by_ctl);
  Dump(&rig.store, kLifeTimeKey, &by_dialog);
  for (const auto& [name, value] : by_dialog) {
    EXPECT_TRUE(by_ctl.count(name) == 1 && by_ctl[name] == value) << name;
  }
  for (const auto& [name, value] : by_ctl) EXPECT_EQ(by_dialog.count(name), 1u) << name;
  // The support-period rule applied: 17520 + 30000 > 43800.
  uint32_t stop = 0;
  ReadCurrentStop(box_.store(), &stop, kCpuFan);
  EXPECT_EQ(stop, 1u);
  uint32_t pre = 9;
  char date[16] = "x";
  ReadNotifyDonePre(box_.store(), &pre, date, kNotifyCpuFan);
  EXPECT_EQ(pre, 0u);
  EXPECT_STREQ(date, "");

  // Without the service the values stay written and quillonctl says so.
  StopService();
  Result lonely = Ctl("replaced CAIS_FAN --hours 0");
  EXPECT_EQ(lonely.exit, 4);
  uint32_t counters[3] = {};
  ReadCurrent(box_.store(), counters, kCaisFan);
  EXPECT_EQ(counters[kCaisFan], 0u);
}

TEST_F(CtlSystemTest, ForecastAtAgreesWithTheEngineOnAFakeClock) {
  const double now = ToDayCount(clock_->Now());
  const std::string at = DateText(static_cast<double>(static_cast<int64_t>(now)) + 10);
  Result r = Ctl("forecast --json --at " + at);
  ASSERT_EQ(r.exit, 0) << r.out;
  std::set<std::string> forecast;
  for (size_t pos = 0; (pos = r.out.find("{\"part\": \"", pos)) != std::string::npos; ++pos) {
    const size_t name_end = r.out.find('"', pos + 10);
    const std::string part = r.out.substr(pos + 10, name_end - pos - 10);
    const bool limit = r.out.compare(r.out.find("\"notice\": \"", pos) + 11, 5, "limit") == 0;
    forecast.insert(part + (limit ? " limit" : " pre-warning"));
  }

  // The engine, hour by hour up to the end of that day, on a copy of the store.
  EngineRig rig;
  Copy(box_.store(), kRootKey, &rig.store);
  rig.clock.Set(clock_->Now());
  double until = 0;
  {
    int y, m, d;
    ASSERT_EQ(std::sscanf(at.c_str(), "%d/%d/%d", &y, &m, &d), 3);
    until = ToDayCount({y, m, d, 0, 0, 0, 0}) + 1;
  }
  rig.Engine().Cycle(CycleReason::kStart);
  while (true) {
    rig.clock.AdvanceHours(1);
    if (ToDayCount(rig.clock.Now()) >= until) break;
    rig.Engine().Cycle(CycleReason::kInterval);
  }
  std::set<std::string> fired;
  for (int i = 0; i < kNotifyCount; ++i) {
    if (rig.PreFlag(i) != 0) fired.insert(std::string(NotifyFlagName(i)) + " pre-warning");
    if (rig.LimitFlag(i) != 0) fired.insert(std::string(NotifyFlagName(i)) + " limit");
  }
  EXPECT_EQ(forecast, fired) << r.out;
  EXPECT_TRUE(fired.count("CAIS_FAN pre-warning"));
  EXPECT_TRUE(fired.count("UPS limit"));
}

}  // namespace
}  // namespace quillon
