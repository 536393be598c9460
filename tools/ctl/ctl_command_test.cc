#include "tools/ctl/ctl_command.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/log/event_report.h"
#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"
#include "platform/fakes/recorders.h"

namespace quillon {
namespace {

class CtlCommandTest : public ::testing::Test {
 protected:
  CtlCommandTest() : clock_(LocalDateTime{2026, 12, 9, 10, 0, 0, 0}) {
    store_.SetDword(kRootKey, "Language", 1);
    store_.SetDword(kRootKey, "LifeTime", 30000);
    store_.SetDword(kRootKey, "SupportLimit", 5);
    store_.SetDword(kCurrentKey, "CPU_FAN", 17000);
    store_.SetDword(kLimitKey, "CPU_FAN", 17520);
    store_.SetDword(kLimitPreKey, "CPU_FAN", 8750);
    store_.SetDword(kLimitKey, "PSU", 0);
    store_.SetText(kSetupDateKey, "UPS", "2026/01/01");
    store_.SetDword(kLimitKey, "UPS", 17520);
    store_.SetDword(kLimitPreKey, "UPS", 2160);
    env_.store = &store_;
    env_.system = &system_;
    env_.clock = &clock_;
    env_.launcher = &launcher_;
    env_.event_log = &events_;
    env_.store_name = "memory";
    env_.probe = [this] { return running_ ? kOk : kErrorNotFound; };
    env_.send_parts_changed = [this](const char* request, size_t size, std::string* reply) {
      requests_.emplace_back(request, size);
      if (!running_) return kErrorNotFound;
      *reply = reply_;
      return kOk;
    };
  }

  int Run(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    return RunCtl(args, env_, out_, err_);
  }

  MemoryStore store_;
  FakeClock clock_;
  FakeSystemInfo system_;
  RecordingProcessLauncher launcher_;
  RecordingEventLog events_;
  CtlEnv env_;
  bool running_ = true;
  std::string reply_ = "Heared.";
  std::vector<std::string> requests_;
  std::ostringstream out_, err_;
};

TEST_F(CtlCommandTest, CommandLineErrorsSetBitOne) {
  EXPECT_EQ(Run({}), kExitCommandLine);
  EXPECT_EQ(Run({"frobnicate"}), kExitCommandLine);
  EXPECT_EQ(Run({"status", "--at", "2027/01/01"}), kExitCommandLine);
  EXPECT_EQ(Run({"metrics", "--json"}), kExitCommandLine);
  EXPECT_EQ(Run({"replaced"}), kExitCommandLine);
  EXPECT_EQ(Run({"replaced", "FAN"}), kExitCommandLine);
  EXPECT_EQ(Run({"replaced", "CPU_FAN", "--hours", "0", "--date", "2026/12/01"}), kExitCommandLine);
  EXPECT_EQ(Run({"forecast", "--at", "2026/02/30"}), kExitCommandLine);
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.str().find("Exit status bits"), std::string::npos);
  EXPECT_TRUE(requests_.empty());
}

TEST_F(CtlCommandTest, StatusBitsFollowThePartsAndTheService) {
  EXPECT_EQ(Run({"status"}), kExitPreWarning);
  EXPECT_NE(out_.str().find("TALVEN service: running"), std::string::npos);
  running_ = false;
  store_.SetDword(kCurrentKey, "CPU_FAN", 17520);
  EXPECT_EQ(Run({"status", "--json"}), kExitService | kExitOverLimit);
  EXPECT_NE(out_.str().find("\"json_format_version\": 1"), std::string::npos);
  EXPECT_NE(out_.str().find("\"exit_status\": 20"), std::string::npos);
  // A store without the root key is unusable.
  MemoryStore empty;
  env_.store = &empty;
  EXPECT_EQ(Run({"status"}) & kExitStore, kExitStore);
  EXPECT_EQ(Run({"check"}), 3);
}

TEST_F(CtlCommandTest, CheckGivesPluginStates) {
  EXPECT_EQ(Run({"check"}), 1);
  EXPECT_EQ(out_.str().rfind("QUILLON WARNING - pre-warning: CPU_FAN |", 0), 0u) << out_.str();
  EXPECT_NE(out_.str().find("'CPU_FAN_remaining_hours'=520;8750:;1:"), std::string::npos);
  store_.SetDword(kLimitKey, "CPU_FAN", 0);
  EXPECT_EQ(Run({"check"}), 0);
  running_ = false;
  EXPECT_EQ(Run({"check"}), 2);
}

TEST_F(CtlCommandTest, ReplacedWritesTheSupportStopThenTheCounterThenAsks) {
  EXPECT_EQ(Run({"replaced", "cpu_fan"}), 0) << err_.str();
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN", 9), 0u);
  // 17520 + 30000 > 43800: the new life ends after the support period.
  EXPECT_EQ(store_.GetDword(kCurrentStopKey, "CPU_FAN", 9), 1u);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0], std::string("10000000000000000000000") + '\0');
  // The same value again changes nothing and asks nothing.
  EXPECT_EQ(Run({"replaced", "CPU_FAN", "--hours", "0"}), 0);
  EXPECT_EQ(requests_.size(), 1u);
}

TEST_F(CtlCommandTest, ReplacedRefusesWhatTheDialogRefuses) {
  EXPECT_EQ(Run({"replaced", "PSU", "--hours", "5"}), kExitCommandLine);  // not monitored
  EXPECT_EQ(Run({"replaced", "CPU_FAN", "--hours", "100000"}), kExitCommandLine);
  EXPECT_EQ(Run({"replaced", "CPU_FAN", "--hours", "-1"}), kExitCommandLine);
  EXPECT_EQ(Run({"replaced", "UPS", "--hours", "0"}), kExitCommandLine);
  EXPECT_EQ(Run({"replaced", "CPU_FAN", "--date", "2026/12/01"}), kExitCommandLine);
  EXPECT_EQ(Run({"replaced", "RAID02", "--date", "2026/12/01"}), kExitCommandLine);  // not fitted
  EXPECT_TRUE(requests_.empty());
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN", 9), 17000u);
}

TEST_F(CtlCommandTest, ReplacedReadsTheDateAsTheDialogDoes) {
  EXPECT_EQ(Run({"replaced", "UPS", "--date", "2026/12/01x"}), kExitCommandLine);
  EXPECT_EQ(store_.GetText(kSetupDateKey, "UPS"), "2026/01/01");
  EXPECT_EQ(Run({"replaced", "UPS", "--date", "2026-12-1 08:30"}), 0) << err_.str();
  EXPECT_EQ(store_.GetText(kSetupDateKey, "UPS"), "2026/12/01");
}

TEST_F(CtlCommandTest, ServiceWithoutAnswerLeavesTheValuesWritten) {
  running_ = false;
  EXPECT_EQ(Run({"replaced", "UPS", "--date", "2026/12/01"}), kExitService);
  EXPECT_EQ(store_.GetText(kSetupDateKey, "UPS"), "2026/12/01");
  EXPECT_NE(err_.str().find("did not answer"), std::string::npos);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0][17], '1');
  // An answer that is not "Heared." counts as none.
  running_ = true;
  reply_ = "what?";
  EXPECT_EQ(Run({"replaced", "UPS"}), kExitService);
  EXPECT_EQ(store_.GetText(kSetupDateKey, "UPS"), "2026/12/09");
}

TEST_F(CtlCommandTest, ConfirmOnlyAfterAPreWarningAndSendsAnAllZeroRequest) {
  EXPECT_EQ(Run({"confirm", "CPU_FAN"}), kExitCommandLine);
  store_.SetDword(kNotifyDonePreKey, "CPU_FAN", 1);
  store_.SetText(kNotifyDonePreKey, "CPU_FAN_DATE", "2026/12/01");
  EXPECT_EQ(Run({"confirm", "Cpu_Fan"}), 0) << err_.str();
  EXPECT_EQ(store_.GetDword(kNotifyDonePreStopKey, "CPU_FAN", 9), 1u);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0], std::string(23, '0') + '\0');
}

TEST_F(CtlCommandTest, TestNoticeWritesTheJournalAndUsesTheScreenSetting) {
  EXPECT_EQ(Run({"test-notice"}), 0);
  EXPECT_EQ(events_.Count(kEventTestNotice), 1);
  EXPECT_TRUE(launcher_.calls().empty());  // DSP missing: no screen notice
  EXPECT_NE(out_.str().find("Screen notices are off"), std::string::npos);
  store_.SetDword(kNotifyMethodKey, "DSP", 1);
  EXPECT_EQ(Run({"test-notice", "ups"}), 0);
  ASSERT_EQ(launcher_.calls().size(), 1u);
  const std::string line = launcher_.calls()[0].command_line;
  EXPECT_NE(line.find("TALVENMS\" \"This is a Quillon test notice."), std::string::npos) << line;
  EXPECT_EQ(line.substr(line.size() - 3), " 17");
  EXPECT_EQ(store_.GetDword(kNotifyDonePreKey, "UPS", 9), 9u);  // nothing written
}

TEST_F(CtlCommandTest, ForecastAtListsOnlyTheNoticesStillToCome) {
  // CPU fan: window reached (not yet notified), limit in 520 h at 24 h a day (2026/12/31
  // 02:00).
  EXPECT_EQ(Run({"forecast", "--at", "2026/12/30"}), 0);
  EXPECT_NE(out_.str().find("CPU_FAN   pre-warning"), std::string::npos) << out_.str();
  EXPECT_EQ(out_.str().find("CPU_FAN   limit"), std::string::npos) << out_.str();
  EXPECT_EQ(Run({"forecast", "--at", "2026/12/31", "--json"}), 0);
  EXPECT_NE(out_.str().find("\"part\": \"CPU_FAN\", \"index\": 0, \"notice\": \"limit\", "
                            "\"date\": \"2026/12/31\""),
            std::string::npos)
      << out_.str();
  store_.SetDword(kNotifyDonePreKey, "CPU_FAN", 1);
  EXPECT_EQ(Run({"forecast", "--at", "2026/12/29"}), 0);
  EXPECT_NE(out_.str().find("No notice fires by 2026/12/29."), std::string::npos) << out_.str();
}

TEST_F(CtlCommandTest, JapaneseFromTheLanguageSetting) {
  store_.SetDword(kRootKey, "Language", 0);
  Run({"status"});
  EXPECT_NE(out_.str().find("サーバ稼動時間: 30000"), std::string::npos);
}

}  // namespace
}  // namespace quillon
