#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "common/init/initializer.h"
#include "common/settings/schema.h"
#include "gui/core/data_init.h"
#include "gui/core/testing/recording_prompter.h"
#include "platform/event.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/posix/native_waitable.h"
#include "tests/common/service_sandbox.h"

extern char** environ;

namespace quillon::gui {
namespace {

constexpr uint32_t kBoundMs = 20000;  // only a hung program ever makes a test wait this long

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// One TALVENUI process with its output in files of the sandbox.
class GuiProcess {
 public:
  GuiProcess(const std::string& dir, const std::string& tag) : dir_(dir), tag_(tag) {}
  ~GuiProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (pidfd_ >= 0) close(pidfd_);
  }

  bool Start() {
    std::string program = TALVENUI_PATH;
    char* argv[] = {program.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (dir_ + "/" + tag_ + ".out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (dir_ + "/" + tag_ + ".err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      pid_ = -1;
      return false;
    }
    pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    return pidfd_ >= 0;
  }
  // The exit code once the process ended within timeout_ms; -1 on time-out.
  int WaitExit(uint32_t timeout_ms) {
    if (pid_ <= 0 || WaitOne(NativeWaitable::FromFd(pidfd_), timeout_ms) != 0) return -1;
    int wstatus = 0;
    waitpid(pid_, &wstatus, 0);
    pid_ = -1;
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  }
  // True while the process has not ended (it is not reaped here).
  bool Running() const {
    if (pid_ <= 0) return false;
    siginfo_t info{};
    waitid(P_PID, pid_, &info, WEXITED | WNOHANG | WNOWAIT);
    return info.si_pid != pid_;
  }
  pid_t pid() const { return pid_; }
  std::string Output() {
    return Slurp(dir_ + "/" + tag_ + ".out") + Slurp(dir_ + "/" + tag_ + ".err");
  }

 private:
  std::string dir_;
  std::string tag_;
  pid_t pid_ = -1;
  int pidfd_ = -1;
};

// True when /proc/locks lists a flock held by `pid` on the file `path`.
bool HoldsFlock(pid_t pid, const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  std::ifstream locks("/proc/locks");
  std::string line;
  const std::string inode = ":" + std::to_string(st.st_ino);
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string n, kind, mode, access, holder, device;
    fields >> n >> kind >> mode >> access >> holder >> device;
    if (kind == "FLOCK" && holder == std::to_string(pid) && device.size() > inode.size() &&
        device.compare(device.size() - inode.size(), inode.size(), inode) == 0) {
      return true;
    }
  }
  return false;
}

// Re-checks `done` until it holds or timeout_ms passed. The lock table has no change
// notification, so this is the bounded wait on it.
bool PollUntil(const std::function<bool()>& done, uint32_t timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

class GuiSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_RUNTIME_DIR", box_.dir().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  ServiceSandbox box_;
};

TEST_F(GuiSystemTest, SecondCopyEndsAtOnceAndTheFirstCarriesOn) {
  const std::string lock = box_.dir() + "/TalvenUI_EXE";
  GuiProcess first(box_.dir(), "first");
  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(PollUntil([&] { return HoldsFlock(first.pid(), lock); }, kBoundMs)) << first.Output();

  GuiProcess second(box_.dir(), "second");
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(second.WaitExit(kBoundMs), 0);
  EXPECT_EQ(second.Output(), "");  // silently: no message, no window

  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(HoldsFlock(first.pid(), lock));

  // Once the first copy has ended, the next one runs.
  kill(first.pid(), SIGTERM);
  EXPECT_NE(first.WaitExit(kBoundMs), -1);
  GuiProcess third(box_.dir(), "third");
  ASSERT_TRUE(third.Start());
  ASSERT_TRUE(PollUntil([&] { return HoldsFlock(third.pid(), lock); }, kBoundMs));
  kill(third.pid(), SIGTERM);
  EXPECT_NE(third.WaitExit(kBoundMs), -1);
}

class ProbeSystemTest : public GuiSystemTest {
 protected:
  void SetUp() override {
    GuiSystemTest::SetUp();
    system_.program_path = box_.dir() + "/TALVENUI";
    init_.prompter = &prompter_;
    init_.system = &system_;
    init_.probe = ProbeServicePipe;
    init_.beep = [this] { ++beeps_; };
    init_.initialise = [this](const std::string& program_dir, const std::string& temp_dir) {
      InitializeDefaults(box_.store(), &system_, program_dir, temp_dir, InitMode::kReset);
    };
    // Operator data that a reset puts back to the defaults.
    Set(kNotifyMethodKey, "DSP", 0);
    Set(kLimitKey, "RAID01", 1234);
    Set(kNotifyDonePreStopKey, "CPU_FAN", 1);
  }
  void Set(const char* key, const char* name, uint32_t v) {
    ASSERT_EQ(box_.store()->SetValue(key, name, ValueType::kDword,
                                     std::string(reinterpret_cast<const char*>(&v), 4)),
              kOk);
  }
  uint32_t Get(const char* key, const char* name) {
    ValueType type;
    std::string data;
    if (box_.store()->GetValue(key, name, &type, &data) != kOk || data.size() != 4) return 999;
    uint32_t v;
    memcpy(&v, data.data(), 4);
    return v;
  }
  void StartService() {
    ASSERT_TRUE(box_.Start());
    ASSERT_TRUE(box_.WaitForTrace("Service Running loop start.", 1, kBoundMs)) << box_.Trace();
  }

  FakeSystemInfo system_;
  RecordingPrompter prompter_;
  DataInitialisation init_;
  int beeps_ = 0;
};

TEST_F(ProbeSystemTest, RunningServiceRefusesAndNothingChanges) {
  StartService();
  prompter_.AnswerNext(true);
  init_.Run(kEnglish);
  ASSERT_EQ(prompter_.boxes().size(), 2u);
  EXPECT_EQ(prompter_.boxes()[1].text, "TALVEN-Service is running. so can not initialize data.");
  EXPECT_EQ(beeps_, 0);
  EXPECT_EQ(Get(kNotifyMethodKey, "DSP"), 0u);
  EXPECT_EQ(Get(kLimitKey, "RAID01"), 1234u);
  EXPECT_EQ(Get(kNotifyDonePreStopKey, "CPU_FAN"), 1u);
  // The service answered the probe as a status query and still runs.
  size_t n = 0;
  EXPECT_EQ(box_.Call("ORNA_PIPE", std::string("02", 3), &n), "Heared [02]:1");
  box_.Signal(SIGINT);
  EXPECT_EQ(box_.WaitExit(kBoundMs), 0);
}

TEST_F(ProbeSystemTest, StoppedServiceGetsTheStoreReset) {
  StartService();
  box_.Signal(SIGINT);
  ASSERT_EQ(box_.WaitExit(kBoundMs), 0);

  prompter_.AnswerNext(true);
  init_.Run(kEnglish);
  EXPECT_EQ(prompter_.boxes().size(), 1u);  // the question only
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(Get(kNotifyMethodKey, "DSP"), 1u);
  EXPECT_EQ(Get(kLimitKey, "RAID01"), 0u);
  EXPECT_EQ(Get(kNotifyDonePreStopKey, "CPU_FAN"), 0u);
  EXPECT_EQ(Get(kRootKey, "LifeTime"), 0u);
}

}  // namespace
}  // namespace quillon::gui
