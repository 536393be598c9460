// The KORI client against quillon-kori-sim on a private dbus-daemon.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>

#include "common/kori/kori_client.h"
#include "platform/event.h"
#include "platform/platform.h"
#include "tests/common/bus_harness.h"
#include "tests/common/bus_test_fixture.h"

namespace quillon {
namespace {

using testing::KoriSimulator;

class KoriBusTest : public testing::PrivateBusTest {
 protected:
  void StartSim(const std::vector<std::string>& options) {
    std::string error;
    ASSERT_TRUE(sim_.Start(*bus_, options, &error)) << error;
  }
  bool LogHas(const std::string& text) {
    auto log = sim_.CallLog();
    return std::any_of(log.begin(), log.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
  }

  KoriSimulator sim_;
};

TEST_F(KoriBusTest, AllFourOperationsAgainstAnAnsweringServer) {
  StartSim({"--cabinet=4", "--model=QX-700 cabinet", "--seconds=36000", "--psu=1"});
  KoriClient client(NewKoriTransport());
  uint32_t number = 0;
  EXPECT_EQ(client.KoriReadCabinetNumber(&number), 0);
  EXPECT_EQ(number, 4u);
  EXPECT_EQ(client.cabinet_number(), 4);
  char model[64] = "";
  EXPECT_EQ(client.KoriReadCabinetModel(model, sizeof(model), 4), 0);
  EXPECT_STREQ(model, "QX-700 cabinet");
  uint32_t hours = 0;
  EXPECT_EQ(client.KoriReadOperatingHours(&hours, 4), 0);
  EXPECT_EQ(hours, 10u);
  uint8_t psu = 0;
  EXPECT_EQ(client.KoriReadPsuStatus(&psu), 0);
  EXPECT_EQ(psu, 1);
  for (int m = 0; m < kKoriMemberCount; ++m) {
    EXPECT_GE(client.member_id(static_cast<KoriMember>(m)), 0) << KoriMemberName(m);
  }
  EXPECT_TRUE(LogHas("command=0xE204 sub=0x0000 third=0x0000 cabinet=0"));
  EXPECT_TRUE(LogHas("command=0x0C00 sub=0x0608 third=0x0000 cabinet=4"));
  EXPECT_TRUE(LogHas("command=0xE001 sub=0x1010 third=0x0000 cabinet=4"));
  EXPECT_TRUE(LogHas("command=0x0500 sub=0x0000 third=0x0000 cabinet=0"));
  EXPECT_TRUE(LogHas("Get ServerCabinetNumber"));
}

TEST_F(KoriBusTest, NoServerOnTheBusGivesMinusOne) {
  KoriClient client(NewKoriTransport());
  uint32_t number = 0, hours = 3;
  uint8_t psu = 0x42;
  char model[8] = "keep";
  EXPECT_EQ(client.KoriReadCabinetNumber(&number), kKoriNoConnection);
  EXPECT_EQ(client.KoriReadCabinetModel(model, sizeof(model), 0), kKoriNoConnection);
  EXPECT_EQ(client.KoriReadOperatingHours(&hours, 0), kKoriNoConnection);
  EXPECT_EQ(client.KoriReadPsuStatus(&psu), kKoriNoConnection);
  EXPECT_EQ(psu, 0x42);
  EXPECT_EQ(hours, 3u);
  EXPECT_STREQ(model, "keep");
}

TEST_F(KoriBusTest, ServerStatusesAndUnsetStatus) {
  StartSim({"--status=0xE000:6", "--seconds=7199", "--no-status=0x0C00", "--status=0x0500:9"});
  KoriClient client(NewKoriTransport());
  uint32_t hours = 0;
  // 0xE000 answering 6 still asks for the counter; 7199 seconds are 1 hour.
  EXPECT_EQ(client.KoriReadOperatingHours(&hours, 1), 0);
  EXPECT_EQ(hours, 1u);
  EXPECT_TRUE(LogHas("command=0xE001"));
  char model[16] = "keep";
  EXPECT_EQ(client.KoriReadCabinetModel(model, sizeof(model), 1), kKoriStatusNotSet);
  EXPECT_STREQ(model, "keep");
  uint8_t psu = 0;
  EXPECT_EQ(client.KoriReadPsuStatus(&psu), 1);
  EXPECT_EQ(psu, 9);
}

TEST_F(KoriBusTest, CounterNotAvailableStopsAfterFirstCommand) {
  StartSim({"--status=0xE000:2"});
  KoriClient client(NewKoriTransport());
  uint32_t hours = 5;
  EXPECT_EQ(client.KoriReadOperatingHours(&hours, 1), 2);
  EXPECT_EQ(hours, 5u);
  EXPECT_FALSE(LogHas("command=0xE001"));
}

TEST_F(KoriBusTest, CabinetNumberWithoutUsableProperty) {
  {
    StartSim({"--property=missing", "--cabinet=7"});
    KoriClient client(NewKoriTransport());
    ASSERT_EQ(client.Connect(), 0);
    EXPECT_EQ(client.cabinet_number(), 7);
    EXPECT_EQ(client.member_id(kMemberServerCabinetNumber), -1);
    EXPECT_FALSE(LogHas("Get ServerCabinetNumber"));
    client.Disconnect();
    sim_.Stop();
  }
  {
    StartSim({"--property=s", "--cabinet=8"});
    KoriClient client(NewKoriTransport());
    ASSERT_EQ(client.Connect(), 0);
    EXPECT_EQ(client.cabinet_number(), 8);  // the property's text was not taken
    EXPECT_TRUE(LogHas("Get ServerCabinetNumber"));
    EXPECT_TRUE(LogHas("command=0xE204"));
    client.Disconnect();
    sim_.Stop();
  }
  {
    // A 3-byte answer to 0xE204 leaves the number as it was (0 for a new client).
    StartSim({"--property=u", "--answer=0xE204:090000"});
    KoriClient client(NewKoriTransport());
    ASSERT_EQ(client.Connect(), 0);
    EXPECT_EQ(client.cabinet_number(), 0);
    client.Disconnect();
  }
}

TEST_F(KoriBusTest, MissingVcRequestGivesSix) {
  StartSim({"--no-vcrequest"});
  KoriClient client(NewKoriTransport());
  uint32_t hours = 0;
  uint8_t psu = 0;
  EXPECT_EQ(client.KoriReadOperatingHours(&hours, 0), kKoriStatusNotCompleted);
  EXPECT_EQ(client.KoriReadPsuStatus(&psu), 1);
  EXPECT_EQ(psu, kKoriStatusNotCompleted);
  EXPECT_EQ(client.cabinet_number(), 1);  // the property is still there
}

TEST_F(KoriBusTest, OddAnswersStayInsideTheBuffers) {
  std::string long_model(5000, 'L');
  StartSim({"--model=" + long_model, "--answer=0x0500:", "--bad-reply=0xE001",
            "--answer=0xE204:0102030405"});
  KoriClient client(NewKoriTransport());
  char model[33];
  EXPECT_EQ(client.KoriReadCabinetModel(model, sizeof(model), 1), 0);
  EXPECT_EQ(std::string(model), std::string(32, 'L'));
  uint8_t psu = 0xEE;
  EXPECT_EQ(client.KoriReadPsuStatus(&psu), 1);  // status 0 but no data
  EXPECT_EQ(psu, 0);
  uint32_t hours = 6;
  EXPECT_EQ(client.KoriReadOperatingHours(&hours, 1), kKoriStatusNotCompleted);
  EXPECT_EQ(hours, 6u);
  uint32_t number = 0;
  EXPECT_EQ(client.KoriReadCabinetNumber(&number), 0);
  EXPECT_EQ(number, 0x04030201u);
}

TEST_F(KoriBusTest, SlowAnswerWithinTheTimeOutIsTaken) {
  StartSim({"--delay=0xE001:200"});
  KoriClient client(NewKoriTransport(), 5000000);
  uint32_t hours = 0;
  EXPECT_EQ(client.KoriReadOperatingHours(&hours, 1), 0);
  EXPECT_EQ(hours, 10u);
}

TEST_F(KoriBusTest, HangingOrSlowServerGivesStatusAfterTheCallTimeOut) {
  StartSim({"--hang=0xE001", "--delay=0x0500:5000"});
  KoriClient client(NewKoriTransport(), 300000);
  uint32_t hours = 4;
  EXPECT_EQ(client.KoriReadOperatingHours(&hours, 1), kKoriStatusNotCompleted);
  EXPECT_EQ(hours, 4u);
  uint8_t psu = 0;
  EXPECT_EQ(client.KoriReadPsuStatus(&psu), 1);
  EXPECT_EQ(psu, kKoriStatusNotCompleted);
  // The server is still there for the next operation.
  char model[32] = "";
  EXPECT_EQ(client.KoriReadCabinetModel(model, sizeof(model), 1), 0);
}

TEST_F(KoriBusTest, ServerVanishingMidCallGivesStatusThenNoConnection) {
  StartSim({"--vanish=0xE001"});
  // The bus's default time-out: the bus reports the lost peer at once.
  KoriClient client(NewKoriTransport());
  uint32_t hours = 4;
  EXPECT_EQ(client.KoriReadOperatingHours(&hours, 1), kKoriStatusNotCompleted);
  EXPECT_EQ(hours, 4u);
  EXPECT_TRUE(LogHas("vanish"));
  uint8_t psu = 0x11;
  EXPECT_EQ(client.KoriReadPsuStatus(&psu), kKoriNoConnection);
  EXPECT_EQ(psu, 0x11);
}

// Without a bound of its own the client waits as long as the server's DefaultTimeout says,
// but never less than the floor.
TEST_F(KoriBusTest, CallsWaitAsLongAsTheServerAdvertises) {
  StartSim({"--default-timeout=9000", "--delay=0xE204:6000"});
  KoriClient client(NewKoriTransport());
  uint32_t number = 0;
  EXPECT_EQ(client.KoriReadCabinetNumber(&number), 0);
  EXPECT_EQ(number, 1u);
  EXPECT_EQ(client.call_timeout_ms(), 9000u);
  sim_.Stop();

  StartSim({"--default-timeout=1000", "--delay=0xE204:6000"});
  number = 0;
  EXPECT_EQ(client.KoriReadCabinetNumber(&number), kKoriStatusNotCompleted);
  EXPECT_EQ(client.call_timeout_ms(), kKoriMinCallTimeoutMs);
  EXPECT_TRUE(client.server_silent());
}

// A stop request does not wait for a server that takes its time: the call in flight is
// abandoned at once and the operation ends.
TEST_F(KoriBusTest, AbandonEndsACallInFlight) {
  StartSim({"--hang=0xE001"});
  KoriClient client(NewKoriTransport());  // the server's 30 s
  Event abandon;
  client.SetAbandon(abandon.waitable());
  auto read = std::async(std::launch::async, [&] {
    uint32_t hours = 4;
    const int32_t status = client.KoriReadOperatingHours(&hours, 1);
    return std::make_pair(status, hours);
  });
  // Signalled once the call is with the server (its log shows it hanging).
  for (int i = 0; i < 10000 && !LogHas("hang"); ++i) WaitOne(Event().waitable(), 1);
  ASSERT_TRUE(LogHas("hang"));
  abandon.Set();
  ASSERT_EQ(read.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  const auto [status, hours] = read.get();
  EXPECT_EQ(status, kKoriStatusNotCompleted);
  EXPECT_EQ(hours, 4u);
  EXPECT_TRUE(client.server_silent());
  // Abandoned from the start while the event stays signalled; free again once replaced.
  uint8_t psu = 0;
  EXPECT_EQ(client.KoriReadPsuStatus(&psu), kKoriNoConnection);
  client.SetAbandon(kInvalidWaitable);
  EXPECT_EQ(client.KoriReadPsuStatus(&psu), 0);
}

// Figures for the report: the time of one whole operation (connect, look-up, refresh,
// requests, disconnect) against an answering simulator. Prints, asserts nothing about time.
TEST_F(KoriBusTest, TimingOfOneOperation) {
  StartSim({});
  KoriClient client(NewKoriTransport());
  constexpr int kRounds = 200;
  std::vector<double> us;
  for (int i = 0; i < kRounds; ++i) {
    uint32_t hours = 0;
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(client.KoriReadOperatingHours(&hours, 1), 0);
    us.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(us.begin(), us.end());
  std::printf(
      "KoriReadOperatingHours over the private bus: median %.0f us, p90 %.0f us, "
      "max %.0f us (%d rounds)\n",
      us[kRounds / 2], us[kRounds * 9 / 10], us.back(), kRounds);
  RecordProperty("median_us", static_cast<int>(us[kRounds / 2]));
}

}  // namespace
}  // namespace quillon
