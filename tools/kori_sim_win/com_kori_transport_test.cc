// The COM KORI transport, and KoriClient on it, against the COM stand-in
// (quillon-kori-sim.exe beside this test) in the Wine prefix or on Windows: the member
// look-up, the property reads, VCRequest's answers and faults, a class that is not
// registered, and the bounds of an unanswered call (ETIMEDOUT) and of the abandon event
// (ECANCELED).

// clang-format off
#include <windows.h>
// clang-format on

#include "platform/win32/com_kori_transport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/kori/kori_client.h"
#include "platform/command_line_quote.h"
#include "platform/event.h"
#include "platform/kori_transport.h"
#include "platform/win32/native_waitable.h"
#include "platform/win32/wide_text.h"
#include "tools/kori_sim_win/kori_sim_com_names.h"

namespace quillon {
namespace {

// Bounds for the stand-in's own start and end, which take Wine a moment.
constexpr DWORD kProcessBoundMs = 60000;

std::wstring StandInPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, length);
  return text.substr(0, text.find_last_of(L"\\/") + 1) + L"quillon-kori-sim.exe";
}

HANDLE Launch(const std::vector<std::string>& args) {
  std::string command = QuoteCommandLineArgument(Narrow(StandInPath()));
  for (const std::string& arg : args) command += " " + QuoteCommandLineArgument(arg);
  std::wstring line = Widen(command);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

// Runs the stand-in for one of its commands (-regserver, -unregserver); its exit code, or -1.
int RunStandIn(const std::vector<std::string>& args) {
  HANDLE process = Launch(args);
  if (process == nullptr) return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process, kProcessBoundMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process, &code);
  }
  CloseHandle(process);
  return static_cast<int>(code);
}

// One running stand-in, started with options and stopped through its stop event.
class StandIn {
 public:
  StandIn()
      : ready_(CreateEventW(nullptr, TRUE, FALSE, KORI_SIM_READY_EVENT)),
        stop_(CreateEventW(nullptr, TRUE, FALSE, KORI_SIM_STOP_EVENT)),
        held_(CreateEventW(nullptr, TRUE, FALSE, KORI_SIM_HELD_EVENT)) {}
  ~StandIn() {
    Stop();
    for (HANDLE h : {ready_, stop_, held_}) CloseHandle(h);
  }

  // Starts it and waits until it offers the class. false when it ends or takes too long.
  bool Start(const std::vector<std::string>& options) {
    for (HANDLE h : {ready_, stop_, held_}) ResetEvent(h);
    process_ = Launch(options);
    if (process_ == nullptr) return false;
    HANDLE handles[2] = {ready_, process_};
    return WaitForMultipleObjects(2, handles, FALSE, kProcessBoundMs) == WAIT_OBJECT_0;
  }

  // Waits until the stand-in holds a call (--hang). false when it does not within the bound.
  bool WaitUntilHeld() { return WaitForSingleObject(held_, kProcessBoundMs) == WAIT_OBJECT_0; }

  void Stop() {
    if (process_ == nullptr) return;
    SetEvent(stop_);
    if (WaitForSingleObject(process_, kProcessBoundMs) != WAIT_OBJECT_0) {
      TerminateProcess(process_, 1);
    }
    CloseHandle(process_);
    process_ = nullptr;
  }

 private:
  HANDLE ready_;
  HANDLE stop_;
  HANDLE held_;
  HANDLE process_ = nullptr;
};

class ComKoriTransportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(RunStandIn({"-regserver"}), 0); }
  static void TearDownTestSuite() { RunStandIn({"-unregserver"}); }

  // Starts the stand-in with `options` and opens a transport to it.
  void StartAndOpen(const std::vector<std::string>& options) {
    ASSERT_TRUE(stand_in_.Start(options));
    transport_ = NewComKoriTransport();
    transport_->SetConnectTimeout(30000000);
    ASSERT_EQ(transport_->Open(), 0);
  }

  int32_t Id(const char* name) {
    int32_t id = -7;
    if (transport_->LookUpMember(name, &id) != 0) {
      EXPECT_EQ(id, -7) << name;
      return -1;
    }
    return id;
  }

  StandIn stand_in_;
  std::unique_ptr<KoriTransport> transport_;
};

TEST_F(ComKoriTransportTest, FindsTheMembersReadsThePropertiesAndCallsVcRequest) {
  StartAndOpen({"--cabinet=7", "--model=QX TEST", "--no-status=0xE000", "--answer=0x0700:0102"});
  std::set<int32_t> ids;
  for (const char* name : {"VCRequest", "SyncRequest", "ServerCabinetNumber", "DefaultTimeout",
                           "ServerControlVersion"}) {
    const int32_t id = Id(name);
    EXPECT_GE(id, 0) << name;
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 5u);
  EXPECT_EQ(Id("NoSuchMember"), -1);
  EXPECT_EQ(Id("QueryInterface"), -1);

  int16_t cabinet = 0;
  ASSERT_EQ(transport_->ReadCabinetProperty(&cabinet), 0);
  EXPECT_EQ(cabinet, 7);
  uint32_t timeout_ms = 0;
  ASSERT_EQ(transport_->ReadDefaultTimeout(&timeout_ms), 0);
  EXPECT_EQ(timeout_ms, 30000u);

  KoriReply reply;
  ASSERT_EQ(transport_->Call({.command = 0x0C00, .sub_code = 0x0608, .cabinet = 7}, &reply), 0);
  EXPECT_EQ(std::string(reply.response.begin(), reply.response.end()), "QX TEST");
  EXPECT_EQ(reply.status, std::vector<uint8_t>{0});
  // Request bytes go out and the answer comes back in the same argument.
  ASSERT_EQ(transport_->Call({.command = 0x0700, .input = {9, 8, 7}}, &reply), 0);
  EXPECT_EQ(reply.response, (std::vector<uint8_t>{1, 2}));
  // A status the server does not set stays at the value it went out with.
  ASSERT_EQ(transport_->Call({.command = 0xE000}, &reply), 0);
  EXPECT_EQ(reply.status, std::vector<uint8_t>{kKoriStatusNotSet});
  EXPECT_TRUE(reply.response.empty());

  transport_->Close();
  EXPECT_EQ(Id("VCRequest"), -1) << "after Close";
  EXPECT_NE(transport_->Call({.command = 0x0500}, &reply), 0);
}

TEST_F(ComKoriTransportTest, ClientReadsWhatTheStandInAnswers) {
  ASSERT_TRUE(
      stand_in_.Start({"--cabinet=3", "--model=QX-CABINET-9", "--seconds=7199", "--psu=5"}));
  KoriClient client(NewComKoriTransport());
  uint32_t number = 0;
  EXPECT_EQ(client.KoriReadCabinetNumber(&number), kKoriStatusOk);
  EXPECT_EQ(number, 3u);
  EXPECT_EQ(client.cabinet_number(), 3);
  char model[32] = {};
  EXPECT_EQ(client.KoriReadCabinetModel(model, sizeof(model), kKoriCabinetCurrent), kKoriStatusOk);
  EXPECT_STREQ(model, "QX-CABINET-9");
  uint32_t hours = 0;
  EXPECT_EQ(client.KoriReadOperatingHours(&hours, kKoriCabinetCurrent), kKoriStatusOk);
  EXPECT_EQ(hours, 1u);
  uint8_t psu = 0;
  EXPECT_EQ(client.KoriReadPsuStatus(&psu), 0);
  EXPECT_EQ(psu, 5);
  EXPECT_EQ(client.call_timeout_ms(), 30000u) << "the server's DefaultTimeout";
}

TEST_F(ComKoriTransportTest, AMissingMemberIsNotFoundAndTheClientCopes) {
  StartAndOpen({"--no-vcrequest"});
  EXPECT_EQ(Id("VCRequest"), -1);
  EXPECT_GE(Id("ServerCabinetNumber"), 0);
  KoriReply reply;
  EXPECT_NE(transport_->Call({.command = 0x0500}, &reply), 0);
  transport_->Close();
  stand_in_.Stop();

  // Without the property, and with it of another type, the number comes from 0xE204.
  for (const char* kind : {"--property=missing", "--property=u"}) {
    ASSERT_TRUE(stand_in_.Start({kind, "--cabinet=12"}));
    KoriClient client(NewComKoriTransport());
    ASSERT_EQ(client.Connect(), 0) << kind;
    EXPECT_EQ(client.cabinet_number(), 12) << kind;
    client.Disconnect();
    stand_in_.Stop();
  }
}

TEST_F(ComKoriTransportTest, AnswersOfAnotherShapeAndAServerThatLeavesFailTheCall) {
  StartAndOpen({"--bad-reply=0x0500", "--vanish=0xE001"});
  KoriReply reply;
  EXPECT_NE(transport_->Call({.command = 0x0500}, &reply), 0);
  EXPECT_TRUE(reply.response.empty());
  EXPECT_TRUE(reply.status.empty());
  const int code = transport_->Call({.command = 0xE001, .sub_code = 0x1010}, &reply);
  EXPECT_NE(code, 0);
  EXPECT_NE(code, ETIMEDOUT) << "COM tells the caller that the server went away";
}

TEST_F(ComKoriTransportTest, AClassThatIsNotRegisteredFailsOpen) {
  ASSERT_EQ(RunStandIn({"-unregserver"}), 0);
  std::unique_ptr<KoriTransport> transport = NewComKoriTransport();
  transport->SetConnectTimeout(30000000);
  EXPECT_NE(transport->Open(), 0);
  int32_t id = -7;
  EXPECT_NE(transport->LookUpMember("VCRequest", &id), 0);
  KoriClient client(NewComKoriTransport());
  uint8_t psu = 77;
  EXPECT_EQ(client.KoriReadPsuStatus(&psu), kKoriNoConnection);
  EXPECT_EQ(psu, 77);
  EXPECT_TRUE(client.server_silent());
  ASSERT_EQ(RunStandIn({"-regserver"}), 0);
}

TEST_F(ComKoriTransportTest, ARegisteredStandInIsStartedOnDemandWithItsOptions) {
  ASSERT_EQ(RunStandIn({"-regserver", "--cabinet=21"}), 0);
  KoriClient client(NewComKoriTransport());
  uint32_t number = 0;
  EXPECT_EQ(client.KoriReadCabinetNumber(&number), kKoriStatusOk);
  EXPECT_EQ(number, 21u);
  // Stop the stand-in COM started, and wait until it has withdrawn the class.
  HANDLE running = OpenMutexW(SYNCHRONIZE, FALSE, KORI_SIM_RUNNING_MUTEX);
  EXPECT_EQ(RunStandIn({"-stop"}), 0);
  if (running != nullptr) {
    const DWORD waited = WaitForSingleObject(running, kProcessBoundMs);
    EXPECT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED);
    ReleaseMutex(running);
    CloseHandle(running);
  }
  ASSERT_EQ(RunStandIn({"-regserver"}), 0);
}

TEST_F(ComKoriTransportTest, AnUnansweredCallEndsAtItsBoundAndTheNextIsStillServed) {
  StartAndOpen({"--hang=0xE001", "--psu=4"});
  transport_->SetCallTimeout(200000);
  KoriReply reply;
  EXPECT_EQ(transport_->Call({.command = 0xE001, .sub_code = 0x1010}, &reply), ETIMEDOUT);
  EXPECT_TRUE(reply.status.empty());
  // The server holds the first call; the connection still carries others.
  transport_->SetCallTimeout(30000000);
  ASSERT_EQ(transport_->Call({.command = 0x0500}, &reply), 0);
  EXPECT_EQ(reply.response, std::vector<uint8_t>{4});
  // Closing while the held call is still out leaves it to end on its own.
  transport_->Close();
}

TEST_F(ComKoriTransportTest, TheAbandonEventEndsACallInFlightAndEveryLaterWait) {
  StartAndOpen({"--hang=0xE001"});
  Event abandon;
  transport_->SetAbandon(abandon.waitable());
  // A bound the call would otherwise run into: ECANCELED, not ETIMEDOUT, ends it.
  transport_->SetCallTimeout(60000000);
  std::thread stopper([&] {
    if (stand_in_.WaitUntilHeld()) abandon.Set();
  });
  KoriReply reply;
  EXPECT_EQ(transport_->Call({.command = 0xE001, .sub_code = 0x1010}, &reply), ECANCELED);
  stopper.join();
  EXPECT_EQ(transport_->Call({.command = 0x0500}, &reply), ECANCELED);
  int16_t cabinet = 0;
  EXPECT_EQ(transport_->ReadCabinetProperty(&cabinet), ECANCELED);
  transport_->Close();
  EXPECT_EQ(transport_->Open(), ECANCELED);
  // The held call's late end lands in memory the transport no longer looks at.
  stand_in_.Stop();
}

}  // namespace
}  // namespace quillon
