#include "platform/win32/win32_process_launcher.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "gtest/gtest.h"
#include "platform/event.h"

namespace quillon {
namespace {

constexpr char kChildVar[] = "QUILLON_TEST_CHILD";

std::wstring Name(const char* what, const std::string& tag) {
  std::string s = std::string("QuillonTest_") + what + "_" + tag;
  return std::wstring(s.begin(), s.end());
}

std::string SelfPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n);
}

// Not a test of its own: the program started by RunUntilEndsTheWholeTree. It holds a mutex,
// says it is up, and waits for ever.
TEST(Win32ProcessLauncherChild, HoldsAMutexUntilKilled) {
  const char* tag = std::getenv(kChildVar);
  if (tag == nullptr) GTEST_SKIP() << "only run as a child";
  CreateMutexW(nullptr, TRUE, Name("held", tag).c_str());
  SetEvent(OpenEventW(EVENT_MODIFY_STATE, FALSE, Name("up", tag).c_str()));
  WaitForSingleObject(GetCurrentProcess(), INFINITE);
}

TEST(Win32ProcessLauncherTest, RunsAndReportsTheExitCode) {
  Win32ProcessLauncher launcher;
  uint32_t code = 0;
  ASSERT_EQ(launcher.Run("cmd.exe /c exit 7", "", &code), kOk);
  EXPECT_EQ(code, 7u);
  ASSERT_EQ(launcher.Run("cmd.exe /c if exist probe.txt (exit 3) else (exit 4)", "C:\\", &code),
            kOk);
  EXPECT_EQ(code, 4u);
  EXPECT_EQ(launcher.Run("C:\\nowhere\\none.exe", "", &code), kErrorNotFound);
  EXPECT_EQ(launcher.Start("C:\\nowhere\\none.exe", ""), kErrorNotFound);
  EXPECT_EQ(launcher.Start("cmd.exe /c exit 0", ""), kOk);
}

TEST(Win32ProcessLauncherTest, RunUntilEndsTheWholeTree) {
  const std::string tag = std::to_string(GetCurrentProcessId());
  HANDLE up = CreateEventW(nullptr, TRUE, FALSE, Name("up", tag).c_str());
  ASSERT_NE(up, nullptr);
  SetEnvironmentVariableA(kChildVar, tag.c_str());
  // cmd starts the child, so the child is a grandchild of the launcher's program.
  const std::string line =
      "cmd.exe /c \"\"" + SelfPath() + "\" --gtest_filter=Win32ProcessLauncherChild.*\"";
  Win32ProcessLauncher launcher;
  Event stop;
  Status result = kOk;
  std::thread runner([&] {
    uint32_t code;
    result = launcher.RunUntil(line, "", stop.waitable(), &code);
  });
  EXPECT_EQ(WaitForSingleObject(up, 60000), WAIT_OBJECT_0);
  SetEnvironmentVariableA(kChildVar, nullptr);
  stop.Set();
  runner.join();
  EXPECT_EQ(result, kErrorOperationAborted);
  // The grandchild is gone with its mutex.
  HANDLE held = OpenMutexW(SYNCHRONIZE, FALSE, Name("held", tag).c_str());
  EXPECT_EQ(held, nullptr);
  if (held) CloseHandle(held);
  CloseHandle(up);
}

}  // namespace
}  // namespace quillon
