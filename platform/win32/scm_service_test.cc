#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "platform/win32/scm_service_control.h"
#include "platform/win32/scm_service_manager.h"

namespace quillon {
namespace {

// The stub service program built beside this test program. Install quotes the path it is
// given, so the tests pass `path" "NAME` to have the manager start `"path" "NAME"`.
std::string StubPath() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring wide(path, n);
  wide.resize(wide.rfind(L'\\') + 1);
  return std::string(wide.begin(), wide.end()) + "service_stub.exe";
}

std::string UniqueName(const char* what) {
  return std::string("QuillonTest") + what + std::to_string(GetCurrentProcessId());
}

// The manager has no notice of a state change to wait on; its state is looked at until it is
// `wanted` or 30 s have passed. The state last seen.
ServiceState AwaitState(ScmServiceManager* manager, const std::string& name, ServiceState wanted) {
  ServiceState state = ServiceState::kStopPending;
  const ULONGLONG deadline = GetTickCount64() + 30000;
  while (manager->QueryState(name, &state) == kOk && state != wanted &&
         GetTickCount64() < deadline) {
    Sleep(20);
  }
  return state;
}

TEST(ScmServiceControlTest, DispatcherRefusesOutsideTheManager) {
  ScmServiceControl control;
  bool called = false;
  EXPECT_EQ(control.RunDispatcher("QuillonTestNone", [&] { called = true; }),
            kErrorFailedServiceControllerConnect);
  EXPECT_FALSE(called);
}

TEST(ScmServiceControlTest, StatusNeedsTheControlHandlerAndTheTextStaysLocal) {
  ScmServiceControl control;
  ServiceStatusRecord record;
  record.current_state = ServiceState::kRunning;
  EXPECT_EQ(control.SetStatus(record), kErrorInvalidHandle);
  EXPECT_EQ(control.SetStatusText("settings store not usable"), kOk);
  EXPECT_EQ(control.status_text(), "settings store not usable");
}

TEST(ScmServiceControlTest, CtrlCAndCtrlBreakReachTheConsoleHandler) {
  ScmServiceControl control;
  HANDLE seen = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  uint32_t events[2] = {99, 99};
  int count = 0;
  ASSERT_EQ(control.SetConsoleHandler([&](uint32_t event) {
    if (count < 2) events[count] = event;
    if (++count == 2) SetEvent(seen);
    return true;
  }),
            kOk);
  // Under a test runner the program may have no console of its own to send the events to;
  // Wine's console without a terminal takes none at all.
  AllocConsole();
  // The system calls the handler on a thread of its own; handled, the events end nothing.
  if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
    GTEST_SKIP() << "no console to send events to (error " << GetLastError() << ")";
  }
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0));
  ASSERT_EQ(WaitForSingleObject(seen, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(events[0] + events[1], kCtrlCEvent + kCtrlBreakEvent);
  CloseHandle(seen);
}

TEST(ScmServiceManagerTest, UnknownServicesAnswer1060) {
  ScmServiceManager manager;
  ASSERT_EQ(manager.Connect(), kOk);
  const std::string name = UniqueName("Missing");
  ServiceState state = ServiceState::kPaused;
  EXPECT_EQ(manager.Open(name), kErrorServiceDoesNotExist);
  EXPECT_EQ(manager.Start(name), kErrorServiceDoesNotExist);
  EXPECT_EQ(manager.Stop(name), kErrorServiceDoesNotExist);
  EXPECT_EQ(manager.QueryState(name, &state), kErrorServiceDoesNotExist);
  EXPECT_EQ(state, ServiceState::kPaused);
  EXPECT_EQ(manager.Delete(name), kErrorServiceDoesNotExist);
  EXPECT_FALSE(manager.ErrorMessage(kErrorServiceDoesNotExist).empty());
  EXPECT_EQ(manager.ErrorMessage(kErrorServiceDoesNotExist).find('\n'), std::string::npos);
}

// The whole life of a service, with the statuses of each step done at the wrong time. The
// stub service reports through ScmServiceControl, so this runs both backends under the
// manager.
TEST(ScmServiceManagerTest, InstallStartStopDeleteCycle) {
  ScmServiceManager manager;
  const std::string name = UniqueName("Cycle");
  ASSERT_EQ(manager.Install(name, name + " display", StubPath() + "\" \"" + name), kOk);
  EXPECT_EQ(manager.Install(name, name, StubPath()), kErrorServiceExists);
  EXPECT_EQ(manager.Open(name), kOk);

  ServiceState state = ServiceState::kPaused;
  ASSERT_EQ(manager.QueryState(name, &state), kOk);
  EXPECT_EQ(state, ServiceState::kStopped);
  EXPECT_EQ(manager.Stop(name), kErrorServiceNotActive);

  ASSERT_EQ(manager.Start(name), kOk);
  ASSERT_EQ(manager.QueryState(name, &state), kOk);
  EXPECT_EQ(state, ServiceState::kRunning);
  EXPECT_EQ(manager.Start(name), kErrorServiceAlreadyRunning);

  ASSERT_EQ(manager.Stop(name), kOk);
  EXPECT_EQ(AwaitState(&manager, name, ServiceState::kStopped), ServiceState::kStopped);
  EXPECT_EQ(manager.Stop(name), kErrorServiceNotActive);

  ASSERT_EQ(manager.Delete(name), kOk);
  EXPECT_EQ(manager.Open(name), kErrorServiceDoesNotExist);
}

TEST(ScmServiceManagerTest, AFailedStartReportsTheServicesExitCode) {
  ScmServiceManager manager;
  const std::string name = UniqueName("Fail");
  ASSERT_EQ(manager.Install(name, name, StubPath() + "\" \"" + name + "\" \"fail"), kOk);
  EXPECT_EQ(manager.Start(name), 1064u);
  ServiceState state = ServiceState::kPaused;
  EXPECT_EQ(AwaitState(&manager, name, ServiceState::kStopped), ServiceState::kStopped);
  EXPECT_EQ(manager.Delete(name), kOk);
  EXPECT_EQ(manager.QueryState(name, &state), kErrorServiceDoesNotExist);
}

}  // namespace
}  // namespace quillon
