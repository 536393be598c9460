// The real TALVENSV in -debug starting against quillon-kori-sim on a private system bus:
// the program runs the start-time hardware step before its worker, and what the step learns
// reaches the store, the trace and the lifetime check's status entry.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "tests/common/service_sandbox.h"

namespace quillon {
namespace {

constexpr uint32_t kBoundMs = 20000;  // only a hung service ever makes a test wait this long

// A StorCLI stand-in naming two controllers with a battery backup unit.
constexpr char kStorcliStub[] = R"(#!/bin/sh
cat <<'OUT'
Controller = 0
Model = RAID 9361-8i
BBU = Present
Controller = 1
Model = RAID 9460-16i
BBU = Present
OUT
)";

class ServiceStartTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!old_path_.empty()) setenv("PATH", old_path_.c_str(), 1);
  }
  uint32_t Dword(const char* key, const char* name) {
    uint32_t v = 999;
    RegCtlReadValue(box_.store(), key, name, kRegDword, &v, sizeof v);
    return v;
  }
  // Puts the stand-in RAID tool first on PATH for the service started next.
  void InstallRaidTool() {
    std::string tools = box_.dir() + "/tools";
    std::filesystem::create_directories(tools);
    std::ofstream(tools + "/storcli64") << kStorcliStub;
    std::filesystem::permissions(tools + "/storcli64", std::filesystem::perms::owner_all);
    old_path_ = getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin";
    setenv("PATH", (tools + ":" + old_path_).c_str(), 1);
  }
  void StartAndStop() {
    ASSERT_TRUE(box_.Start()) << box_.start_error();
    ASSERT_TRUE(box_.WaitForTrace("Service Running loop start.", 1, kBoundMs)) << box_.Trace();
    ASSERT_TRUE(box_.WaitForTrace("Enter [LimitCheck]Running loop.", 1, kBoundMs)) << box_.Trace();
    box_.Signal(SIGINT);
    ASSERT_EQ(box_.WaitExit(kBoundMs), 0);
  }
  // Position of the first trace line ending with `line`, or npos.
  size_t TracePos(const std::string& line) { return box_.Trace().find(line + "\n"); }

  ServiceSandbox box_;
  std::string old_path_;
};

TEST_F(ServiceStartTest, HardwareStepRunsBeforeTheWorkerAndFeedsTheStore) {
  box_.set_kori_options(
      {"--cabinet=7", "--model=QX-TEST cabinet", "--seconds=18036000", "--psu=1"});
  WriteServerHours(box_.store(), 0);
  WritePsuCheck(box_.store(), 1);
  WriteLimit(box_.store(), 43800, kPsuS);
  InstallRaidTool();

  StartAndStop();

  // The trace lines of the step, in order, before the worker's thread is started.
  const size_t cabinet = TracePos("KORI enable [CabinetNr = 7].");
  const size_t model = TracePos("KORI enable [CabinetModel = QX-TEST cabinet].");
  const size_t hours = TracePos("KORI enable [LifeTime = 5010].");
  const size_t psu = TracePos("PSU Check(0) [Num = 1]: PSU enabled.");
  const size_t worker = TracePos("CreateHandle 1/1 Success.");
  ASSERT_NE(cabinet, std::string::npos) << box_.Trace();
  ASSERT_NE(worker, std::string::npos) << box_.Trace();
  EXPECT_LT(cabinet, model);
  EXPECT_LT(model, hours);
  EXPECT_LT(hours, psu);
  EXPECT_LT(psu, worker);
  EXPECT_EQ(box_.TraceCount("KORI retry [count = 1]."), 0);

  // The store after the step: KORI's hours taken, the PSU check settled, both batteries new.
  EXPECT_EQ(Dword(kRootKey, "KoriEnable"), 1u);
  EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 2u);
  EXPECT_EQ(Dword(kRootKey, "PsuMonitor"), 1u);
  EXPECT_EQ(Dword(kSetupDateKey, "RAIDCount"), 2u);
  char date[16] = "";
  EXPECT_EQ(ReadSetupDate(box_.store(), date, 2), kOk);
  EXPECT_NE(date[0], '\0');
  // The lifetime check's start cycle reads the hours the step stored.
  EXPECT_NE(box_.Trace().find("[LifeTime=5010]"), std::string::npos) << box_.Trace();

  // The simulator was asked for the cabinet number once: no retries.
  const auto calls = box_.KoriCalls();
  EXPECT_EQ(
      std::count_if(calls.begin(), calls.end(),
                    [](const std::string& c) { return c.find("VCRequest command=0xE204 ") == 0; }),
      1);
}

TEST_F(ServiceStartTest, StoredHoursStayWhenKoriDisagreesByMoreThanHalfADay) {
  box_.set_kori_options({"--seconds=36000"});  // 10 hours
  WriteServerHours(box_.store(), 5000);

  StartAndStop();

  EXPECT_EQ(box_.TraceCount("KORI enable [LifeTime = 10]."), 1) << box_.Trace();
  EXPECT_EQ(Dword(kRootKey, "KoriEnable"), 1u);
  EXPECT_NE(box_.Trace().find("[LifeTime=5000]"), std::string::npos) << box_.Trace();
}

TEST_F(ServiceStartTest, SandboxDefaultAnswersAtOnceAndLeavesTheHoursAlone) {
  WriteServerHours(box_.store(), 5);

  StartAndStop();

  EXPECT_EQ(box_.TraceCount("KORI enable [CabinetNr = 1]."), 1) << box_.Trace();
  EXPECT_EQ(box_.TraceCount("KORI retry [count = 1]."), 0);
  EXPECT_EQ(Dword(kRootKey, "KoriEnable"), 0u);
  uint32_t hours = 0;
  ReadServerHours(box_.store(), &hours);
  EXPECT_EQ(hours, 5u);
}

}  // namespace
}  // namespace quillon
