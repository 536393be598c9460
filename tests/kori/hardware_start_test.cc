// The service's start-time hardware step against quillon-kori-sim on a private dbus-daemon,
// with the real RdQueryH.sh (over a stand-in RAID tool on PATH), a real store file and the
// real trace file.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/kori/kori_client.h"
#include "common/log/trace_log.h"
#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/platform.h"
#include "service/hardware_init.h"
#include "service/service_env.h"
#include "tests/common/bus_harness.h"
#include "tests/common/bus_test_fixture.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

using testing::KoriSimulator;

// StorCLI-like output naming three controllers with batteries and one without.
constexpr char kStorcliStub[] = R"(#!/bin/sh
cat <<'OUT'
CLI Version = 007.0000.0000.0000
Controller = 0
Status = Success
Basics :
Controller = 0
Model = RAID 9361-8i
HwCfg :
BBU = Present
Controller = 1
Status = Success
Basics :
Controller = 1
Model = MegaRAID SAS 8408E
HwCfg :
BBU = Present
Controller = 2
Basics :
Controller = 2
Model = RAID 9240-4i
HwCfg :
BBU = Absent
Controller = 3
Basics :
Controller = 3
Model = RAID 9460-16i
HwCfg :
BBU = Present
OUT
)";

class HardwareStartTest : public testing::PrivateBusTest {
 protected:
  void SetUp() override {
    PrivateBusTest::SetUp();
    if (IsSkipped()) return;
    root_ = temp_.path();
    dir_ = root_ + "/bin/";
    std::filesystem::create_directories(dir_);
    std::filesystem::create_directories(root_ + "/tools");
    std::filesystem::copy_file(RDQUERY_SCRIPT_PATH, dir_ + "RdQueryH.sh");
    system_.program_path = dir_ + "TALVENSV";
    old_path_ = getenv("PATH") ? getenv("PATH") : "";
    store_ = NewStore(root_ + "/registry.db");
    WriteLimit(store_.get(), 26280, kRaid);
    WriteLimit(store_.get(), 30000, kRaidN);
    RegCtlWriteValue(store_.get(), "SOFTWARE\\Morvath\\TALVEN\\LifeTime\\LimitPre", "RAID",
                     kRegDword, "\xE0\x10\0\0", 4);  // 4320
    WriteLimit(store_.get(), 43800, kPsuS);
    WritePsuCheck(store_.get(), 1);
    WriteServerHours(store_.get(), 0);
    clock_.Set({2026, 12, 8, 10, 0, 0, 0});
  }
  void TearDown() override {
    setenv("PATH", old_path_.c_str(), 1);
    sim_.Stop();
    store_.reset();
  }
  // Puts the stand-in RAID tool first on PATH (or leaves the machine without one).
  void InstallRaidTool() {
    std::string tool = root_ + "/tools/storcli64";
    std::ofstream(tool) << kStorcliStub;
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    setenv("PATH", (root_ + "/tools:" + old_path_).c_str(), 1);
  }
  void NoRaidTool() { setenv("PATH", "/usr/bin:/bin", 1); }
  void StartSim(const std::vector<std::string>& options) {
    std::string error;
    ASSERT_TRUE(sim_.Start(*bus_, options, &error)) << error;
  }
  HardwareFacts RunStep(KoriClient* kori, double* ms = nullptr) {
    ServiceEnv env;
    env.store = store_.get();
    env.system = &system_;
    env.clock = &clock_;
    env.trace = &trace_;
    env.launcher = launcher_.get();
    env.kori = kori;
    auto t0 = std::chrono::steady_clock::now();
    HardwareFacts facts = HardwareInit(env).Run();
    if (ms) {
      *ms =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    }
    return facts;
  }
  // The messages of ORNALOG.TXT, without time stamp and ids.
  std::vector<std::string> TraceMessages(bool print = false) {
    std::vector<std::string> out;
    std::ifstream in(dir_ + "ORNALOG.TXT");
    std::string line;
    while (std::getline(in, line)) {
      if (print) std::printf("  %s\n", line.c_str());
      size_t bracket = line.find("] ");
      out.push_back(bracket == std::string::npos ? line : line.substr(bracket + 2));
    }
    return out;
  }
  uint32_t Dword(const char* key, const char* name) {
    ValueType type;
    std::string data;
    if (store_->GetValue(key, name, &type, &data) != 0 || data.size() != 4) return 999999;
    return static_cast<uint8_t>(data[0]) | static_cast<uint8_t>(data[1]) << 8 |
           static_cast<uint8_t>(data[2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(data[3])) << 24;
  }
  std::string Date(int n) {
    char text[16] = "<none>";
    ReadSetupDate(store_.get(), text, n);
    return text;
  }

  TempDir temp_{"quillon-hwstart."};
  std::string root_, dir_, old_path_;
  FakeSystemInfo system_;
  FakeClock clock_;
  std::unique_ptr<Clock> real_clock_ = NewClock();
  std::unique_ptr<TraceSink> sink_ = NewTraceSink(real_clock_.get());
  TraceLog trace_{&system_, sink_.get()};
  std::unique_ptr<ProcessLauncher> launcher_ = NewProcessLauncher();
  std::unique_ptr<Store> store_;
  KoriSimulator sim_;
};

TEST_F(HardwareStartTest, FullStartWithThreeRaidBatteries) {
  InstallRaidTool();
  StartSim({"--cabinet=3", "--model=QX-9000 cabinet", "--seconds=18036000", "--psu=1"});
  KoriClient kori(NewKoriTransport());
  double ms = 0;
  HardwareFacts facts = RunStep(&kori, &ms);
  std::printf("Hardware step against the simulator, RAID script included: %.1f ms\n", ms);
  std::printf("Trace lines of the start:\n");
  std::vector<std::string> traces = TraceMessages(true);
  EXPECT_EQ(traces, (std::vector<std::string>{
                        "KORI enable [CabinetNr = 3].",
                        "KORI enable [CabinetModel = QX-9000 cabinet].",
                        "GetBBU_3: Adapter found  [Ctl=1].",
                        "GetBBU_3: BBU is present [Ctl=1] [Product: RAID 9361-8i].",
                        "GetBBU_3: Adapter found  [Ctl=2].",
                        "GetBBU_3: BBU is present [Ctl=2] [Product: MegaRAID SAS 8408E].",
                        "GetBBU_3: Adapter found  [Ctl=3].",
                        "GetBBU_3: Adapter found  [Ctl=4].",
                        "GetBBU_3: BBU is present [Ctl=4] [Product: RAID 9460-16i].",
                        "GetBBU_3: Return [BBUCount=3].",
                        "KORI enable [LifeTime = 5010].",
                        "PSU Check(0) [Num = 1]: PSU enabled.",
                    }));
  EXPECT_EQ(facts.cabinet_number, 3u);
  EXPECT_EQ(facts.operating_hours, 5010u);
  EXPECT_EQ(facts.raid_batteries, 3);
  EXPECT_TRUE(clock_.sleeps().empty());
  EXPECT_EQ(Dword(kRootKey, "ModelType"), 0u);
  EXPECT_EQ(Dword(kRootKey, "KoriEnable"), 1u);
  EXPECT_EQ(Dword(kRootKey, "LifeTime"), 5010u);
  EXPECT_EQ(Dword(kSetupDateKey, "RAIDCount"), 3u);
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(Date(n), "2026/12/08") << n;
  EXPECT_EQ(Date(4), "<none>");
  EXPECT_EQ(Dword(kRaidConsumablesKey, "RAID01"), 1u);
  EXPECT_EQ(Dword(kRaidConsumablesKey, "RAID02"), 0u);
  EXPECT_EQ(Dword(kLimitKey, "RAID02"), 30000u);
  EXPECT_EQ(Dword(kLimitPreKey, "RAID01"), 4320u);
  EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 2u);
  EXPECT_EQ(Dword(kRootKey, "PsuMonitor"), 1u);
  EXPECT_EQ(Dword(kLimitKey, "PSU"), 43800u);
  EXPECT_EQ(Dword(kCurrentKey, "PSU"), 5010u);

  // The next start finds the same batteries: nothing new is set up.
  WriteRaidLimit(store_.get(), 12345, 1);
  RunStep(&kori);
  EXPECT_EQ(Dword(kSetupDateKey, "RAIDCount"), 3u);
  EXPECT_EQ(Dword(kLimitKey, "RAID01"), 12345u);
}

TEST_F(HardwareStartTest, NoRaidManagerAndServerStatuses) {
  NoRaidTool();
  StartSim({"--status=0xE000:1", "--status=0x0500:7"});
  KoriClient kori(NewKoriTransport());
  HardwareFacts facts = RunStep(&kori);
  EXPECT_EQ(facts.raid_batteries, -1);
  EXPECT_EQ(facts.kori_status, 1);
  EXPECT_EQ(TraceMessages(), (std::vector<std::string>{
                                 "KORI enable [CabinetNr = 1].",
                                 "KORI enable [CabinetModel = QX-CABINET-1].",
                                 "GetBBU_3: RdQueryH.bat [ExitCode=1].",
                                 "GetBBU_3: Return [BBUCount=-1].",
                                 "PSU Check(1) [Sta = 7].",
                             }));
  EXPECT_EQ(Dword(kRootKey, "KoriEnable"), 0u);
  EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 1u);
  EXPECT_EQ(Dword(kRootKey, "PsuMonitor"), 0u);
  EXPECT_EQ(Dword(kSetupDateKey, "RAIDCount"), 999999u);  // nothing about RAID written
}

TEST_F(HardwareStartTest, HangingServerCostsOnlyTheCallTimeOut) {
  NoRaidTool();
  StartSim({"--hang=0xE001"});
  KoriClient kori(NewKoriTransport(), 300000);  // 0.3 s per bus call
  HardwareFacts facts = RunStep(&kori);
  EXPECT_EQ(facts.kori_status, kKoriStatusNotCompleted);
  EXPECT_EQ(Dword(kRootKey, "KoriEnable"), 0u);
  // The PSU request after the hang is answered again.
  EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 2u);
  EXPECT_EQ(TraceMessages().back(), "PSU Check(0) [Num = 1]: PSU enabled.");
}

TEST_F(HardwareStartTest, ServerVanishingMidCallLeavesTheStartToRetryAndGoOn) {
  NoRaidTool();
  StartSim({"--vanish=0xE204"});
  KoriClient kori(NewKoriTransport());
  HardwareFacts facts = RunStep(&kori);
  EXPECT_EQ(facts.cabinet_number, 0u);
  EXPECT_EQ(facts.kori_status, kKoriNoConnection);
  EXPECT_EQ(clock_.sleeps(), (std::vector<uint32_t>{60000, 60000}));
  EXPECT_EQ(TraceMessages(), (std::vector<std::string>{
                                 "KORI retry [count = 1].",
                                 "KORI retry [count = 2].",
                                 "GetBBU_3: RdQueryH.bat [ExitCode=1].",
                                 "GetBBU_3: Return [BBUCount=-1].",
                                 "PSU Check(-1): No KORI.",
                             }));
  EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 1u);
}

// Figures for the report: the whole step, RAID script included, with the simulator answering
// at once and three batteries already known. Prints, asserts nothing about time.
TEST_F(HardwareStartTest, TimingOfTheWholeStep) {
  InstallRaidTool();
  StartSim({});
  KoriClient kori(NewKoriTransport());
  RunStep(&kori);
  std::vector<double> ms;
  for (int i = 0; i < 15; ++i) {
    double t = 0;
    RunStep(&kori, &t);
    ms.push_back(t);
  }
  std::sort(ms.begin(), ms.end());
  std::printf(
      "Hardware step (KORI + RdQueryH.sh + store): median %.1f ms, min %.1f ms, "
      "max %.1f ms (15 runs)\n",
      ms[7], ms[0], ms[14]);
}

// The script on its own: MegaCLI output, and a tool that fails (the service tries again).
TEST_F(HardwareStartTest, RaidScriptReadsMegaCliAndReportsToolFailure) {
  std::string tool = root_ + "/tools/MegaCli64";
  std::ofstream(tool) << "#!/bin/sh\n"
                         "echo 'Adapter #0'\necho 'Product Name    : PERC 6/i Integrated'\n"
                         "echo 'BBU              : Present'\necho 'Adapter #1'\n"
                         "echo 'Product Name    : SAS 6/iR'\necho 'BBU              : Absent'\n"
                         "exit ${MEGACLI_EXIT:-0}\n";
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  setenv("PATH", (root_ + "/tools:/usr/bin:/bin").c_str(), 1);
  uint32_t code = 99;
  ASSERT_EQ(launcher_->Run("\"" + dir_ + "RdQueryH.sh\"", dir_, &code), 0u);
  EXPECT_EQ(code, 0u);
  std::ifstream in(dir_ + "rdquerylog.txt");
  std::string report((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(report,
            "Adapter number: 0\nProduct: PERC 6/i Integrated\nBattery: BBU present\n"
            "Adapter number: 1\nProduct: SAS 6/iR\n");
  setenv("MEGACLI_EXIT", "4", 1);
  ASSERT_EQ(launcher_->Run("\"" + dir_ + "RdQueryH.sh\"", dir_, &code), 0u);
  unsetenv("MEGACLI_EXIT");
  EXPECT_EQ(code, 2u);
}

}  // namespace
}  // namespace quillon
