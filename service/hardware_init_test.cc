#include "service/hardware_init.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/kori/kori_client.h"
#include "common/kori/testing/fake_kori_transport.h"
#include "common/settings/schema.h"
#include "service/hardware_init_test_util.h"

namespace quillon {
namespace {

using Lines = std::vector<std::string>;

std::vector<uint8_t> Le32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

class HardwareInitTest : public ::testing::Test {
 protected:
  HardwareInitTest() : server_(std::make_shared<FakeKoriServer>()) {
    server_->property_value = 2;
    server_->answers[kKoriCmdCabinetNumber] = {{2, 0}};
    server_->answers[kKoriCmdCabinetModel] = {{'Q', 'X', '-', '7'}};
    server_->answers[kKoriCmdCounterState] = {};
    server_->answers[kKoriCmdOperatingTime] = {Le32(5010 * 3600 + 59)};
    server_->answers[kKoriCmdPsuStatus] = {{1}};
    kori_ = std::make_unique<KoriClient>(std::make_unique<FakeKoriTransport>(server_));
    bed_.store.SetDword(kLimitKey, "RAID", 26280);
    bed_.store.SetDword(kLimitPreKey, "RAID", 4320);
    bed_.store.SetDword(kLimitKey, "PSU_S", 43800);
    bed_.store.SetDword(kLimitKey, "PSU", 0);
    // No RAID manager unless a test says otherwise.
    bed_.launcher.script = [](int, uint32_t* code) {
      *code = 1;
      return kOk;
    };
  }
  HardwareFacts Run() {
    ServiceEnv env = bed_.env();
    env.kori = kori_.get();
    return HardwareInit(env, stop_.waitable()).Run();
  }
  // What a stop request must leave alone: no KORI figures, PSU state or RAID count written.
  void ExpectNothingWrittenAfterTheStop(bool hours_read = false) {
    EXPECT_EQ(bed_.store.HasValue(kRootKey, "KoriEnable"), hours_read);
    EXPECT_FALSE(bed_.store.HasValue(kRootKey, "PsuMonitor"));
    EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 1u);
    EXPECT_FALSE(bed_.store.HasValue(kSetupDateKey, "RAIDCount"));
  }
  // Commands the server was sent, in order.
  std::vector<uint16_t> Commands() {
    std::vector<uint16_t> out;
    for (const KoriCall& call : server_->calls) out.push_back(call.command);
    return out;
  }
  uint32_t Dword(const char* key, const char* name) { return bed_.store.GetDword(key, name, 999); }

  HardwareTestBed bed_;
  std::shared_ptr<FakeKoriServer> server_;
  std::unique_ptr<KoriClient> kori_;
  Event stop_;  // the service's terminate event
};

TEST_F(HardwareInitTest, FullStartWithAnsweringServer) {
  bed_.store.SetDword(kRootKey, "LifeTime", 5000);
  bed_.store.SetDword(kRootKey, "PsuCheck", 1);
  bed_.store.SetDword(kSetupDateKey, "RAIDCount", 1);
  bed_.store.SetText(kSetupDateKey, "RAID01", "2024/02/03");
  bed_.ReportAlways(
      "Adapter number: 0\nProduct: A\nBattery: BBU present\n"
      "Adapter number: 1\nProduct: B\nBattery: BBU present\n"
      "Adapter number: 2\nProduct: C\nBattery: BBU present\n");
  HardwareFacts facts = Run();
  EXPECT_EQ(facts.cabinet_number, 2u);
  EXPECT_EQ(facts.kori_status, 0);
  EXPECT_EQ(facts.operating_hours, 5010u);
  EXPECT_EQ(facts.raid_batteries, 3);
  EXPECT_EQ(bed_.sink.messages(), (Lines{
                                      "KORI enable [CabinetNr = 2].",
                                      "KORI enable [CabinetModel = QX-7].",
                                      "GetBBU_3: Adapter found  [Ctl=1].",
                                      "GetBBU_3: BBU is present [Ctl=1] [Product: A].",
                                      "GetBBU_3: Adapter found  [Ctl=2].",
                                      "GetBBU_3: BBU is present [Ctl=2] [Product: B].",
                                      "GetBBU_3: Adapter found  [Ctl=3].",
                                      "GetBBU_3: BBU is present [Ctl=3] [Product: C].",
                                      "GetBBU_3: Return [BBUCount=3].",
                                      "KORI enable [LifeTime = 5010].",
                                      "PSU Check(0) [Num = 1]: PSU enabled.",
                                  }));
  EXPECT_EQ(Dword(kRootKey, "ModelType"), 0u);
  EXPECT_EQ(Dword(kRootKey, "KoriEnable"), 1u);
  EXPECT_EQ(Dword(kRootKey, "LifeTime"), 5010u);
  // RAIDCount 1 and three batteries: RAID02 and RAID03 get today's date, RAID01 stays.
  EXPECT_EQ(Dword(kSetupDateKey, "RAIDCount"), 3u);
  EXPECT_EQ(bed_.store.GetText(kSetupDateKey, "RAID01"), "2024/02/03");
  EXPECT_EQ(bed_.store.GetText(kSetupDateKey, "RAID02"), "2026/05/17");
  EXPECT_EQ(bed_.store.GetText(kSetupDateKey, "RAID03"), "2026/05/17");
  EXPECT_FALSE(bed_.store.HasValue(kSetupDateKey, "RAID04"));
  // The PSU check: settled, monitored, limit and counter taken over.
  EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 2u);
  EXPECT_EQ(Dword(kRootKey, "PsuMonitor"), 1u);
  EXPECT_EQ(Dword(kLimitKey, "PSU"), 43800u);
  EXPECT_EQ(Dword(kCurrentKey, "PSU"), 5010u);
  EXPECT_TRUE(bed_.clock.sleeps().empty());
  // The model and the hours went to the cabinet that was read.
  for (const KoriCall& call : server_->calls) {
    if (call.command == kKoriCmdCabinetModel || call.command == kKoriCmdOperatingTime) {
      EXPECT_EQ(call.cabinet, 2);
    }
  }
}

TEST_F(HardwareInitTest, NoManagementInterfaceCostsTwoPausesAndRecordsFailure) {
  server_->present = false;
  bed_.store.CreateKey(kQrtvmonKey);
  bed_.store.SetDword(kRootKey, "PsuCheck", 1);
  bed_.store.SetDword(kRootKey, "PsuMonitor", 1);
  bed_.store.SetDword(kRootKey, "LifeTime", 777);
  HardwareFacts facts = Run();
  EXPECT_EQ(facts.cabinet_number, 0u);
  EXPECT_EQ(facts.kori_status, kKoriNoConnection);
  EXPECT_EQ(facts.raid_batteries, -1);
  EXPECT_EQ(bed_.clock.sleeps(), (std::vector<uint32_t>{60000, 60000}));
  EXPECT_EQ(bed_.sink.messages(), (Lines{
                                      "KORI retry [count = 1].",
                                      "KORI retry [count = 2].",
                                      "GetBBU_3: RdQueryH.bat [ExitCode=1].",
                                      "GetBBU_3: Return [BBUCount=-1].",
                                      "PSU Check(-1): No KORI.",
                                  }));
  EXPECT_EQ(Dword(kRootKey, "ModelType"), 1u);
  EXPECT_EQ(Dword(kRootKey, "KoriEnable"), 0u);
  EXPECT_EQ(Dword(kRootKey, "LifeTime"), 777u);
  EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 1u);
  EXPECT_EQ(Dword(kRootKey, "PsuMonitor"), 0u);
  // Discovery failed: nothing about RAID is written.
  EXPECT_FALSE(bed_.store.HasValue(kSetupDateKey, "RAIDCount"));
}

TEST_F(HardwareInitTest, CabinetNumberOnThirdTry) {
  // The first two tries find no server; then it is there.
  int tries = 0;
  server_->present = false;
  bed_.launcher.script = [](int, uint32_t* code) {
    *code = 1;
    return kOk;
  };
  struct Flaky : public KoriTransport {
    Flaky(const std::shared_ptr<FakeKoriServer>& s, int* tries)
        : inner(s), server(s), tries(tries) {}
    void SetConnectTimeout(uint64_t usec) override { inner.SetConnectTimeout(usec); }
    int Open() override {
      server->present = ++*tries >= 3;
      return inner.Open();
    }
    int LookUpMember(const char* name, int32_t* id) override {
      return inner.LookUpMember(name, id);
    }
    int ReadCabinetProperty(int16_t* v) override { return inner.ReadCabinetProperty(v); }
    int ReadDefaultTimeout(uint32_t* ms) override { return inner.ReadDefaultTimeout(ms); }
    void SetCallTimeout(uint64_t usec) override { inner.SetCallTimeout(usec); }
    void SetAbandon(Waitable abandon) override { inner.SetAbandon(abandon); }
    int Call(const KoriCall& c, KoriReply* r) override { return inner.Call(c, r); }
    void Close() override { inner.Close(); }
    FakeKoriTransport inner;
    std::shared_ptr<FakeKoriServer> server;
    int* tries;
  };
  kori_ = std::make_unique<KoriClient>(std::make_unique<Flaky>(server_, &tries));
  HardwareFacts facts = Run();
  EXPECT_EQ(facts.cabinet_number, 2u);
  Lines traces = bed_.sink.messages();
  ASSERT_GE(traces.size(), 3u);
  EXPECT_EQ(traces[0], "KORI retry [count = 1].");
  EXPECT_EQ(traces[1], "KORI retry [count = 2].");
  EXPECT_EQ(traces[2], "KORI enable [CabinetNr = 2].");
  EXPECT_EQ(bed_.clock.sleeps().size(), 2u);
}

TEST_F(HardwareInitTest, TwelveHourRule) {
  struct Case {
    uint32_t stored;
    uint32_t kori;
    uint32_t expected;
  };
  for (Case c :
       {Case{5000, 5010, 5010}, Case{5000, 9000, 5000}, Case{5000, 4988, 4988},
        Case{5000, 4987, 5000}, Case{0, 9000, 9000}, Case{12, 9000, 9000}, Case{13, 26, 13},
        Case{13, 25, 25}, Case{0xFFFFE, 5, 0xFFFFE}, Case{0xFFFFF, 5, 5}}) {
    bed_.store.SetDword(kRootKey, "LifeTime", c.stored);
    server_->answers[kKoriCmdOperatingTime] = {Le32(c.kori * 3600)};
    HardwareFacts facts = Run();
    EXPECT_EQ(Dword(kRootKey, "LifeTime"), c.expected) << c.stored << " " << c.kori;
    EXPECT_EQ(facts.operating_hours, c.expected) << c.stored << " " << c.kori;
  }
}

TEST_F(HardwareInitTest, OperatingHoursFailureWritesKoriEnableZero) {
  server_->answers[kKoriCmdCounterState] = {{}, {1}};
  bed_.store.SetDword(kRootKey, "KoriEnable", 1);
  bed_.store.SetDword(kRootKey, "LifeTime", 40);
  HardwareFacts facts = Run();
  EXPECT_EQ(facts.kori_status, 1);
  EXPECT_EQ(facts.operating_hours, 0u);
  EXPECT_EQ(Dword(kRootKey, "KoriEnable"), 0u);
  EXPECT_EQ(Dword(kRootKey, "LifeTime"), 40u);
}

TEST_F(HardwareInitTest, PsuCheckOutcomes) {
  // Another byte: settled, not monitored.
  bed_.store.SetDword(kRootKey, "PsuCheck", 1);
  server_->answers[kKoriCmdPsuStatus] = {{4}};
  Run();
  EXPECT_EQ(bed_.sink.messages().back(), "PSU Check(0) [Num = 4]: PSU disabled.");
  EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 2u);
  EXPECT_EQ(Dword(kRootKey, "PsuMonitor"), 0u);
  EXPECT_EQ(Dword(kLimitKey, "PSU"), 0u);

  // The server reports an error: not settled.
  bed_.store.SetDword(kRootKey, "PsuCheck", 1);
  server_->answers[kKoriCmdPsuStatus] = {{}, {0x21}};
  Run();
  EXPECT_EQ(bed_.sink.messages().back(), "PSU Check(1) [Sta = 33].");
  EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 1u);
  EXPECT_EQ(Dword(kRootKey, "PsuMonitor"), 0u);

  // Status 0 without data is no answer: tried again at the next start.
  server_->answers[kKoriCmdPsuStatus] = {{}};
  Run();
  EXPECT_EQ(bed_.sink.messages().back(), "PSU Check(1) [Sta = 0].");
  EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 1u);

  // PsuCheck 2 or 0: no request, PsuMonitor unchanged.
  for (uint32_t check : {0u, 2u}) {
    bed_.store.SetDword(kRootKey, "PsuCheck", check);
    bed_.store.SetDword(kRootKey, "PsuMonitor", 1);
    server_->calls.clear();
    Run();
    for (const KoriCall& call : server_->calls) EXPECT_NE(call.command, kKoriCmdPsuStatus);
    EXPECT_EQ(Dword(kRootKey, "PsuMonitor"), 1u);
    EXPECT_EQ(Dword(kRootKey, "PsuCheck"), check);
  }
}

TEST_F(HardwareInitTest, ModelTextWithControlCharactersStaysOneTraceLine) {
  server_->answers[kKoriCmdCabinetModel] = {{'A', '\n', 'B', '\r', 'C', 0, 'D'}};
  Run();
  EXPECT_EQ(bed_.sink.Count("KORI enable [CabinetModel = A?B?C]."), 1);
}

TEST_F(HardwareInitTest, NullClientActsAsNoServer) {
  ServiceEnv env = bed_.env();
  env.kori = nullptr;
  bed_.store.SetDword(kRootKey, "PsuCheck", 1);
  HardwareFacts facts = HardwareInit(env).Run();
  EXPECT_EQ(facts.kori_status, kKoriNoConnection);
  EXPECT_EQ(bed_.sink.messages().back(), "PSU Check(-1): No KORI.");
}

// A stop request ends the step wherever it arrives; what follows the stop does not run and
// nothing is written from an interrupted wait.
TEST_F(HardwareInitTest, StopInACabinetPauseEndsTheStep) {
  server_->present = false;
  bed_.store.SetDword(kRootKey, "PsuCheck", 1);
  bed_.clock.set_on_pause([this](uint32_t, int) { stop_.Set(); });
  HardwareFacts facts = Run();
  EXPECT_TRUE(facts.stopped);
  EXPECT_EQ(server_->opens, 1);
  EXPECT_EQ(bed_.launcher.runs, 0);
  EXPECT_EQ(bed_.sink.messages(), Lines{});
  ExpectNothingWrittenAfterTheStop();
  // The clock did not move: the pause was cut short.
  EXPECT_EQ(bed_.clock.Now().minute, 30);
}

TEST_F(HardwareInitTest, StopDuringAKoriCallAbandonsIt) {
  bed_.store.SetDword(kRootKey, "PsuCheck", 1);
  for (uint16_t command : {kKoriCmdCabinetNumber, kKoriCmdOperatingTime, kKoriCmdPsuStatus}) {
    SCOPED_TRACE(command);
    stop_.Reset();
    server_->calls.clear();
    server_->during_call = [this, command](const KoriCall& call) {
      if (call.command == command) stop_.Set();
    };
    HardwareFacts facts = Run();
    EXPECT_TRUE(facts.stopped);
    EXPECT_EQ(Commands().back(), command);
    EXPECT_TRUE(bed_.clock.sleeps().empty());
    ExpectNothingWrittenAfterTheStop(command == kKoriCmdPsuStatus);
  }
  // The abandon event is the step's only while it runs.
  stop_.Set();
  server_->during_call = nullptr;
  server_->calls.clear();
  uint32_t cabinet = 0;
  EXPECT_EQ(kori_->KoriReadCabinetNumber(&cabinet), 0);
}

TEST_F(HardwareInitTest, StopInARaidPauseOrWhileTheScriptRunsEndsTheStep) {
  bed_.store.SetDword(kRootKey, "PsuCheck", 1);
  // The script fails (the service would try again in 60 s); the stop comes in the pause.
  bed_.launcher.script = [](int, uint32_t* code) {
    *code = 2;
    return kOk;
  };
  bed_.clock.set_on_pause([this](uint32_t, int) { stop_.Set(); });
  HardwareFacts facts = Run();
  EXPECT_TRUE(facts.stopped);
  EXPECT_EQ(bed_.launcher.runs, 1);
  EXPECT_EQ(bed_.clock.sleeps(), (std::vector<uint32_t>{60000}));
  EXPECT_EQ(bed_.sink.messages(),
            (Lines{"KORI enable [CabinetNr = 2].", "KORI enable [CabinetModel = QX-7].",
                   "GetBBU_3: RdQueryH.bat [ExitCode=2]."}));
  ExpectNothingWrittenAfterTheStop();

  // The stop comes while the script runs: its report is not read.
  stop_.Reset();
  bed_.sink.Clear();
  bed_.clock.set_on_pause(nullptr);
  bed_.launcher.script = [this](int, uint32_t* code) {
    bed_.WriteReport("Adapter number: 0\nProduct: A\nBattery: BBU present\n");
    *code = 0;
    stop_.Set();
    return kOk;
  };
  facts = Run();
  EXPECT_TRUE(facts.stopped);
  EXPECT_EQ(facts.raid_batteries, 0);
  EXPECT_EQ(bed_.sink.messages(),
            (Lines{"KORI enable [CabinetNr = 2].", "KORI enable [CabinetModel = QX-7]."}));
  ExpectNothingWrittenAfterTheStop();
  EXPECT_FALSE(bed_.store.HasValue(kLimitKey, "RAID01"));
}

TEST_F(HardwareInitTest, ServerThatNeverAnswersHoldsTheStartOnlyForTheCabinetTries) {
  server_->answers[kKoriCmdCabinetNumber].fail = ETIMEDOUT;
  bed_.store.SetDword(kRootKey, "PsuCheck", 1);
  HardwareFacts facts = Run();
  EXPECT_FALSE(facts.stopped);
  EXPECT_EQ(facts.kori_status, kKoriNoConnection);
  // Three tries 60 s apart, then nothing more is asked.
  EXPECT_EQ(Commands(), (std::vector<uint16_t>{kKoriCmdCabinetNumber, kKoriCmdCabinetNumber,
                                               kKoriCmdCabinetNumber}));
  EXPECT_EQ(bed_.clock.sleeps(), (std::vector<uint32_t>{60000, 60000}));
  EXPECT_EQ(Dword(kRootKey, "KoriEnable"), 0u);
  EXPECT_EQ(Dword(kRootKey, "PsuMonitor"), 0u);
  EXPECT_EQ(Dword(kRootKey, "PsuCheck"), 1u);
  EXPECT_EQ(bed_.sink.messages().back(), "PSU Check(-1): No KORI.");

  // A server that answers, even with failures, is still asked for the rest.
  server_->calls.clear();
  server_->answers[kKoriCmdCabinetNumber] = {{}, {9}};
  Run();
  EXPECT_EQ(Commands(), (std::vector<uint16_t>{kKoriCmdCabinetNumber, kKoriCmdCabinetNumber,
                                               kKoriCmdCabinetNumber, kKoriCmdCabinetModel,
                                               kKoriCmdCounterState, kKoriCmdOperatingTime,
                                               kKoriCmdPsuStatus}));
}

}  // namespace
}  // namespace quillon
