#include "platform/posix/posix_process_launcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/event.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    dir_ = temp_.path();
  }

  std::string Slurp(const std::string& name) {
    std::ifstream in(dir_ + "/" + name);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  TempDir temp_{"quillon-launch-"};
  std::string dir_;
  PosixProcessLauncher launcher_;
};

TEST_F(LauncherTest, RunSplitsTheCommandLineAndReturnsTheExitCode) {
  uint32_t code = 99;
  // Arguments come out as the command-line rules split them: quotes group, "" is a quote.
  std::string line =
      "/bin/sh -c \"printf '%s|' \\\"$0\\\" \\\"$1\\\" > out; exit 7\" "
      "\"a \"\"b\"\" c\" d";
  ASSERT_EQ(launcher_.Run(line, dir_, &code), kOk);
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(Slurp("out"), "a \"b\" c|d|");

  ASSERT_EQ(launcher_.Run("/bin/sh -c \"kill -9 $$\"", dir_, &code), kOk);
  EXPECT_EQ(code, 128u + 9u);
}

TEST_F(LauncherTest, MissingProgramOrDirectoryIsNotFound) {
  uint32_t code;
  EXPECT_EQ(launcher_.Run("\"" + dir_ + "/TALVENMS\" text 3", "", &code), kErrorNotFound);
  EXPECT_EQ(launcher_.Start("\"" + dir_ + "/TALVENMS\" text", ""), kErrorNotFound);
  EXPECT_EQ(launcher_.Run("/bin/true", dir_ + "/missing", &code), kErrorNotFound);
  EXPECT_EQ(launcher_.Start("", ""), kErrorNotFound);
}

TEST_F(LauncherTest, ChildInheritsNoDescriptorButStdio) {
  // A descriptor without close-on-exec, as a careless library might leave one.
  int leaky = open("/dev/null", O_RDONLY);
  ASSERT_GE(leaky, 3);
  uint32_t code = 99;
  ASSERT_EQ(launcher_.Run("/bin/sh -c \"ls /proc/self/fd > fds\"", dir_, &code), kOk);
  close(leaky);
  std::istringstream fds(Slurp("fds"));
  std::string fd;
  int count = 0;
  while (fds >> fd) {
    // 0-2 and the one ls opened for reading the directory.
    EXPECT_LE(std::stoi(fd), 3) << fd;
    ++count;
  }
  EXPECT_GE(count, 3);
}

TEST_F(LauncherTest, ChildStartsWithDefaultSignals) {
  // The service ignores and blocks signals for itself; its children must not inherit that.
  struct sigaction ignore {
  }, old_action{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGTERM, &ignore, &old_action);
  sigset_t block, old_mask;
  sigemptyset(&block);
  sigaddset(&block, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &block, &old_mask);
  uint32_t code = 0;
  Status s = launcher_.Run("/bin/sh -c \"kill -TERM $$; exit 3\"", "", &code);
  pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
  sigaction(SIGTERM, &old_action, nullptr);
  ASSERT_EQ(s, kOk);
  EXPECT_EQ(code, 128u + SIGTERM);
}

TEST_F(LauncherTest, StartDoesNotWaitAndLeavesNoZombie) {
  std::string fifo = dir_ + "/gate";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string pidfile = dir_ + "/pid";
  // The child blocks on the fifo until the test opens it, so Start must return first.
  ASSERT_EQ(launcher_.Start("/bin/sh -c \"echo $$ > pid; read x < gate\"", dir_), kOk);
  int gate = open(fifo.c_str(), O_WRONLY);  // waits until the child has opened its end
  ASSERT_GE(gate, 0);
  // The pid file is written before the child opens the fifo.
  pid_t pid = std::stoi(Slurp("pid"));
  close(gate);
  // Once the child is gone its reaper takes it; poll the kernel's view with a bounded wait.
  bool reaped = false;
  for (int i = 0; i < 10000 && !reaped; ++i) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) {
      reaped = true;
      break;
    }
    WaitOne(Event().waitable(), 1);
  }
  EXPECT_TRUE(reaped) << "child " << pid << " left as a zombie";
}

TEST_F(LauncherTest, ReaperDoesNotStealChildrenOthersWaitFor) {
  // Started programs and a waited-for program at the same time: Run still gets its code.
  for (int i = 0; i < 5; ++i) ASSERT_EQ(launcher_.Start("/bin/true", ""), kOk);
  uint32_t code = 0;
  ASSERT_EQ(launcher_.Run("/bin/sh -c \"exit 3\"", "", &code), kOk);
  EXPECT_EQ(code, 3u);
  // And a child the test spawned itself is still its own to wait for.
  pid_t own = fork();
  if (own == 0) _exit(5);
  ASSERT_EQ(launcher_.Start("/bin/true", ""), kOk);
  int wstatus = 0;
  ASSERT_EQ(waitpid(own, &wstatus, 0), own);
  EXPECT_EQ(WEXITSTATUS(wstatus), 5);
}

TEST_F(LauncherTest, RunUntilEndsTheProgramAndItsChildrenOnStop) {
  std::string fifo = dir_ + "/gate";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // A script that hangs, with a child of its own that ignores SIGTERM; it says when both
  // are there by writing to the fifo.
  const std::string line =
      "/bin/sh -c \"sh -c 'trap \\\"\\\" TERM; sleep 1000' & echo $! > child; "
      "echo up > gate; sleep 1000\"";
  Event stop;
  std::thread stopper([&] {
    std::ifstream gate(fifo);  // opens once the script opens its end
    std::string up;
    std::getline(gate, up);
    stop.Set();
  });
  uint32_t code = 99;
  EXPECT_EQ(launcher_.RunUntil(line, dir_, stop.waitable(), &code), kErrorOperationAborted);
  stopper.join();
  EXPECT_EQ(code, 99u);
  // The child was in the script's process group and goes with it: gone, or a zombie waiting
  // for its new parent, once the kill has been delivered (bounded poll of the kernel's view).
  const std::string child = Slurp("child");
  ASSERT_FALSE(child.empty());
  const std::string stat_path = "/proc/" + std::to_string(std::stoi(child)) + "/stat";
  std::string fields;
  bool ended = false;
  for (int i = 0; i < 10000 && !ended; ++i) {
    std::ifstream stat(stat_path);
    fields.clear();
    std::getline(stat, fields);
    const size_t paren = fields.rfind(')');
    ended = paren == std::string::npos || fields.compare(paren + 2, 1, "Z") == 0;
    if (!ended) WaitOne(Event().waitable(), 1);
  }
  EXPECT_TRUE(ended) << fields;
}

TEST_F(LauncherTest, RunUntilWithoutStopActsAsRun) {
  Event stop;
  uint32_t code = 0;
  ASSERT_EQ(launcher_.RunUntil("/bin/sh -c \"exit 4\"", "", stop.waitable(), &code), kOk);
  EXPECT_EQ(code, 4u);
  ASSERT_EQ(launcher_.RunUntil("/bin/sh -c \"exit 5\"", "", kInvalidWaitable, &code), kOk);
  EXPECT_EQ(code, 5u);
  EXPECT_EQ(launcher_.RunUntil("/bin/true", dir_ + "/missing", stop.waitable(), &code),
            kErrorNotFound);
}

}  // namespace
}  // namespace quillon
