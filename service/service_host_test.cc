#include "service/service_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/log/event_report.h"
#include "common/log/trace_log.h"
#include "common/settings/schema.h"
#include "platform/event.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"
#include "platform/fakes/recorders.h"
#include "platform/fakes/recording_service_control.h"
#include "platform/fakes/recording_service_manager.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The service object's part as the host sees it: the run reports start pending and running,
// writes the start trace line and waits for the terminate event.
class FakeService : public HostedService {
 public:
  explicit FakeService(TraceLog* trace) : trace_(trace) {}
  const std::string& service_name() const override { return name_; }
  const std::string& display_name() const override { return name_; }
  Language language() const override { return Language::kEnglish; }
  void set_status_sink(ServiceStatusSink* sink) override { sink_ = sink; }
  uint32_t Run() override {
    ++runs_;
    if (!sink_->SetStatus(ServiceState::kStartPending, 0, kStartWaitHintMs)) return 0;
    if (!sink_->SetStatus(ServiceState::kRunning, 0, 0)) return 0;
    trace_->Trace("*** TALVEN SERVICE START ***");
    WaitOne(terminate_.waitable(), kWaitInfinite);
    return 0;
  }
  void Terminate() override { terminate_.Set(); }
  int runs() const { return runs_; }

 private:
  TraceLog* trace_;
  std::string name_ = kServiceName;
  ServiceStatusSink* sink_ = nullptr;
  Event terminate_;
  int runs_ = 0;
};

class ServiceHostTest : public ::testing::Test {
 protected:
  ServiceHostTest() : trace_(&system_, &sink_) {
    env_.store = &store_;
    env_.system = &system_;
    env_.clock = &clock_;
    env_.trace = &trace_;
    env_.event_log = &events_;
    env_.service_manager = &manager_;
  }

  // Builds the service object and the host, as main() does.
  ServiceHost& MakeHost() {
    service_ = std::make_unique<FakeService>(&trace_);
    host_ = std::make_unique<ServiceHost>(env_, &control_, service_.get(),
                                          [this](std::string_view t) { out_ += t; });
    return *host_;
  }

  int RunMain(const std::vector<std::string>& args) { return MakeHost().Main(args); }

  std::string InstallDate() { return store_.GetText(kRootKey, "InstallDate", ""); }

  MemoryStore store_;
  FakeSystemInfo system_;
  FakeClock clock_{LocalDateTime{2026, 3, 4, 5, 6, 7, 0}};
  RecordingTraceSink sink_;
  TraceLog trace_;
  RecordingEventLog events_;
  RecordingServiceManager manager_;
  RecordingServiceControl control_;
  ServiceEnv env_;
  std::unique_ptr<FakeService> service_;
  std::unique_ptr<ServiceHost> host_;
  std::string out_;
};

TEST(ParseCommandLineTest, OnlyOneDashArgumentIsLookedAt) {
  EXPECT_EQ(ParseCommandLine({"-install"}), HostCommand::kInstall);
  EXPECT_EQ(ParseCommandLine({"-INSTALL"}), HostCommand::kInstall);
  EXPECT_EQ(ParseCommandLine({"-ReMoVe"}), HostCommand::kRemove);
  EXPECT_EQ(ParseCommandLine({"-debug"}), HostCommand::kDebug);
  EXPECT_EQ(ParseCommandLine({"-Start"}), HostCommand::kStart);
  EXPECT_EQ(ParseCommandLine({"/install"}), HostCommand::kDispatch);
  EXPECT_EQ(ParseCommandLine({"install"}), HostCommand::kDispatch);
  EXPECT_EQ(ParseCommandLine({}), HostCommand::kDispatch);
  EXPECT_EQ(ParseCommandLine({"-debug", "x"}), HostCommand::kDispatch);
  EXPECT_EQ(ParseCommandLine({"-install", "-remove"}), HostCommand::kDispatch);
  EXPECT_EQ(ParseCommandLine({""}), HostCommand::kDispatch);
  EXPECT_EQ(ParseCommandLine({"-"}), HostCommand::kUsage);
  EXPECT_EQ(ParseCommandLine({"-installx"}), HostCommand::kUsage);
  EXPECT_EQ(ParseCommandLine({"-" + std::string(100000, 'i')}), HostCommand::kUsage);
}

TEST_F(ServiceHostTest, UnknownDashArgumentPrintsUsageThenHandsOver) {
  control_.set_started_by_manager(false);
  EXPECT_EQ(RunMain({"-help"}), 1);
  EXPECT_EQ(out_,
            "TALVEN -install          to install the service\n"
            "TALVEN -remove           to remove the service\n"
            "TALVEN -debug <params>   to run as a console app for debugging\n"
            "\nStartServiceCtrlDispatcher being called.\n"
            "This may take several seconds.  Please wait.\n");
  EXPECT_EQ(sink_.Count("StartServiceCtrlDispatcher failed."), 1);
}

TEST_F(ServiceHostTest, HandOverOutsideTheManagerLeavesOnlyTheTraceLine) {
  control_.set_started_by_manager(false);
  for (const auto& args :
       std::vector<std::vector<std::string>>{{}, {"/install"}, {"-debug", "x"}, {"a", "b", "c"}}) {
    sink_.Clear();
    out_.clear();
    EXPECT_EQ(RunMain(args), 1);
    EXPECT_EQ(out_, "");
    EXPECT_THAT(sink_.messages(), ElementsAre("StartServiceCtrlDispatcher failed."));
    EXPECT_THAT(sink_.paths(), ElementsAre("/opt/quillon/bin/ORNALOG.TXT"));
  }
  EXPECT_TRUE(manager_.calls().empty());
  EXPECT_TRUE(control_.statuses().empty());
}

TEST_F(ServiceHostTest, InstallCreatesStartsAndRecords) {
  EXPECT_EQ(RunMain({"-INSTALL"}), 0);
  EXPECT_EQ(out_, "TALVEN installed.\nTALVEN started.\n");
  auto service = manager_.Get("TALVEN");
  EXPECT_EQ(service.display_name, "TALVEN");
  EXPECT_EQ(service.program_path, "/opt/quillon/bin/TALVENSV");
  EXPECT_EQ(service.state, ServiceState::kRunning);
  EXPECT_EQ(InstallDate(), "2026/03/04 05:06:07");

  ASSERT_EQ(events_.Count(kEventInstalled), 1);
  const EventRecord event = events_.events()[0];
  EXPECT_EQ(event.string1, "TALVEN");
  EXPECT_EQ(event.string2, "TALVEN");
  EXPECT_EQ(event.type, kEventTypeInformation);
  // The event source is registered with the program as its message file.
  EXPECT_EQ(store_.GetText(std::string(kEventLogSystemKey) + "\\TALVEN", "EventMessageFile"),
            "/opt/quillon/bin/TALVENSV");
}

TEST_F(ServiceHostTest, ReinstallKeepsTheFirstInstallDate) {
  ASSERT_EQ(RunMain({"-install"}), 0);
  clock_.Set(LocalDateTime{2030, 12, 31, 23, 59, 58, 0});
  out_.clear();
  EXPECT_EQ(RunMain({"-install"}), 1);
  EXPECT_EQ(out_, "Unable to install TALVEN - The specified service already exists. (0x431)\n");
  EXPECT_EQ(InstallDate(), "2026/03/04 05:06:07");
  EXPECT_EQ(events_.Count(kEventInstalled), 1);

  // After a removal the service is created again, but the date still stays.
  manager_.Delete("TALVEN");
  out_.clear();
  EXPECT_EQ(RunMain({"-install"}), 0);
  EXPECT_EQ(InstallDate(), "2026/03/04 05:06:07");
}

TEST_F(ServiceHostTest, InstallFailuresPrintTheErrorText) {
  manager_.FailNext("Connect", kErrorAccessDenied);
  EXPECT_EQ(RunMain({"-install"}), 1);
  EXPECT_EQ(out_, "Unable to install TALVEN - Access is denied. (0x5)\n");
  EXPECT_EQ(InstallDate(), "");
  EXPECT_EQ(events_.Count(kEventInstalled), 0);

  out_.clear();
  system_.program_path = "";
  EXPECT_EQ(RunMain({"-install"}), 1);
  EXPECT_THAT(out_, HasSubstr("Unable to install TALVEN - "));
  EXPECT_FALSE(manager_.Has("TALVEN"));

  out_.clear();
  system_.program_path = "/" + std::string(600, 'p');
  EXPECT_EQ(RunMain({"-install"}), 1);
  EXPECT_FALSE(manager_.Has("TALVEN"));
}

TEST_F(ServiceHostTest, InstallReportsAFailedStart) {
  manager_.FailNext("Start", kErrorProcessAborted);
  EXPECT_EQ(RunMain({"-install"}), 0);
  EXPECT_EQ(out_,
            "TALVEN installed.\n"
            "Unable to start TALVEN - The process terminated unexpectedly. (0x42b)\n");
  EXPECT_TRUE(manager_.Has("TALVEN"));
}

TEST_F(ServiceHostTest, RemoveRunningServicePrintsDotsWhileStopping) {
  manager_.AddService("TALVEN", {"TALVEN", "/x", ServiceState::kRunning});
  manager_.QueueStates(
      {ServiceState::kStopPending, ServiceState::kStopPending, ServiceState::kStopped});
  EXPECT_EQ(RunMain({"-remove"}), 0);
  EXPECT_EQ(out_, "Stopping TALVEN...\nTALVEN stopped.\nTALVEN removed.\n");
  EXPECT_FALSE(manager_.Has("TALVEN"));
  // One pause before each look at the state.
  EXPECT_THAT(clock_.sleeps(), ElementsAre(1000u, 1000u, 1000u));
}

TEST_F(ServiceHostTest, RemoveOfAServiceThatDoesNotStopStillDeletesIt) {
  manager_.AddService("TALVEN", {"TALVEN", "/x", ServiceState::kRunning});
  manager_.QueueStates({ServiceState::kRunning});
  EXPECT_EQ(RunMain({"-remove"}), 0);
  EXPECT_EQ(out_, "Stopping TALVEN.\nTALVEN failed to stop.\nTALVEN removed.\n");
}

TEST_F(ServiceHostTest, RemoveOfAStoppedServiceSkipsTheStopLines) {
  manager_.AddService("TALVEN", {"TALVEN", "/x", ServiceState::kStopped});
  EXPECT_EQ(RunMain({"-remove"}), 0);
  EXPECT_EQ(out_, "TALVEN removed.\n");
  EXPECT_TRUE(clock_.sleeps().empty());
}

TEST_F(ServiceHostTest, RemoveFailures) {
  manager_.FailNext("Connect", kErrorAccessDenied);
  EXPECT_EQ(RunMain({"-remove"}), 1);
  EXPECT_EQ(out_, "OpenSCManager failed - Access is denied. (0x5)\n");

  out_.clear();
  EXPECT_EQ(RunMain({"-remove"}), 1);
  EXPECT_EQ(out_,
            "OpenService failed - The specified service does not exist as an installed "
            "service. (0x424)\n");

  out_.clear();
  manager_.AddService("TALVEN", {"TALVEN", "/x", ServiceState::kStopped});
  manager_.FailNext("Delete", kErrorServiceMarkedForDelete);
  EXPECT_EQ(RunMain({"-remove"}), 1);
  EXPECT_EQ(out_,
            "DeleteService failed - The specified service has been marked for deletion. "
            "(0x430)\n");
}

TEST_F(ServiceHostTest, StartCommand) {
  EXPECT_EQ(RunMain({"-start"}), 1);
  EXPECT_THAT(out_, HasSubstr("OpenService failed - "));

  out_.clear();
  manager_.AddService("TALVEN", {"TALVEN", "/x", ServiceState::kStopped});
  EXPECT_EQ(RunMain({"-start"}), 0);
  EXPECT_EQ(out_, "TALVEN started.\n");

  out_.clear();
  EXPECT_EQ(RunMain({"-start"}), 1);
  EXPECT_EQ(out_,
            "Unable to start TALVEN - An instance of the service is already running. "
            "(0x420)\n");
}

TEST_F(ServiceHostTest, ErrorTextIsEmptyWithoutAMessage) {
  MakeHost();
  EXPECT_EQ(host_->ErrorText(1073), "The specified service already exists. (0x431)");
  // The fake system has a text for every code; a code nobody knows gets the system's text.
  EXPECT_EQ(host_->ErrorText(4242), "Error 4242 (0x1092)");
}

// Runs the service as the service manager would and stops it with the stop control.
TEST_F(ServiceHostTest, ServiceRunsUnderTheManagerAndStopsInOrder) {
  MakeHost();
  std::thread service_thread([&] { EXPECT_EQ(host_->Main({}), 0); });
  ASSERT_TRUE(control_.WaitForState(ServiceState::kRunning, 10000));
  EXPECT_EQ(control_.SendControl(kServiceControlStop), 0u);
  service_thread.join();

  const auto statuses = control_.statuses();
  std::vector<ServiceState> states;
  for (const auto& s : statuses) states.push_back(s.current_state);
  EXPECT_THAT(states, ElementsAre(ServiceState::kStartPending, ServiceState::kStartPending,
                                  ServiceState::kRunning, ServiceState::kStopPending,
                                  ServiceState::kStopped));
  // Check points count up through the pending states and are 0 otherwise.
  EXPECT_EQ(statuses[0].check_point, 1u);
  EXPECT_EQ(statuses[1].check_point, 2u);
  EXPECT_EQ(statuses[2].check_point, 0u);
  EXPECT_EQ(statuses[3].check_point, 3u);
  EXPECT_EQ(statuses[4].check_point, 0u);
  EXPECT_EQ(statuses[0].wait_hint, 3000u);
  EXPECT_EQ(statuses[1].wait_hint, 3000u);
  EXPECT_EQ(statuses[0].controls_accepted, 0u);
  EXPECT_EQ(statuses[2].controls_accepted, 0x45u);
  for (const auto& s : statuses) {
    EXPECT_EQ(s.service_type, 0x10u);
    EXPECT_EQ(s.win32_exit_code, 0u);
  }

  EXPECT_EQ(service_->runs(), 1);
}

TEST_F(ServiceHostTest, OtherControlsOnlyReReportTheState) {
  MakeHost();
  std::thread service_thread([&] { host_->Main({}); });
  ASSERT_TRUE(control_.WaitForState(ServiceState::kRunning, 10000));
  const size_t before = control_.statuses().size();
  EXPECT_EQ(control_.SendControl(kServiceControlInterrogate), 0u);
  EXPECT_EQ(control_.SendControl(kServiceControlPowerEvent), 0u);
  auto statuses = control_.statuses();
  ASSERT_EQ(statuses.size(), before + 2);
  EXPECT_EQ(statuses[before].current_state, ServiceState::kRunning);
  EXPECT_EQ(statuses[before + 1].current_state, ServiceState::kRunning);
  control_.SendControl(kServiceControlStop);
  service_thread.join();
}

TEST_F(ServiceHostTest, StopBeforeTheServiceIsUpIsNotLost) {
  MakeHost();
  service_->Terminate();
  std::thread service_thread([&] { host_->Main({}); });
  service_thread.join();  // ends on its own: the early stop request is kept
  EXPECT_TRUE(control_.WaitForState(ServiceState::kStopped, 0));
}

TEST_F(ServiceHostTest, FailedHandlerRegistrationEndsWithoutReports) {
  control_.set_register_failure(kErrorInvalidParameter);
  EXPECT_EQ(RunMain({}), 0);
  EXPECT_TRUE(control_.statuses().empty());
  EXPECT_EQ(service_->runs(), 0);
}

TEST_F(ServiceHostTest, FailedStatusReportIsTracedAndEndsTheRun) {
  // Report 0 is the entry point's start pending, report 1 the run's own.
  control_.set_failing_report(1);
  EXPECT_EQ(RunMain({}), 0);
  EXPECT_EQ(sink_.Count("SetServiceStatus failed."), 1);
  EXPECT_EQ(sink_.Count("*** TALVEN SERVICE START ***"), 0);
  const auto statuses = control_.statuses();
  ASSERT_FALSE(statuses.empty());
  EXPECT_EQ(statuses.back().current_state, ServiceState::kStopped);
}

TEST_F(ServiceHostTest, DebugRunsInTheConsoleUntilCtrlC) {
  MakeHost();
  std::thread debug_thread([&] { EXPECT_EQ(host_->Main({"-DEBUG"}), 0); });
  // Ctrl+C may come at any moment once the handler is in place, even before the service is
  // fully up: it starts, then stops in order.
  ASSERT_TRUE(control_.WaitForConsoleHandler(10000));
  EXPECT_FALSE(control_.SendConsoleEvent(2));  // another console event is passed on
  EXPECT_TRUE(control_.SendConsoleEvent(kCtrlCEvent));
  debug_thread.join();
  EXPECT_EQ(out_, "Debugging TALVEN.\nStopping TALVEN.\n");
  EXPECT_TRUE(control_.statuses().empty());  // debug mode reports nothing
  EXPECT_EQ(sink_.Count("*** TALVEN SERVICE START ***"), 1);
}

}  // namespace
}  // namespace quillon
