// The real TALVENU2 and TALVENST programs, copied into a temporary program directory beside a
// recording TALVENSV (a small shell script), run against a real SQLite store, desktop-entry
// directories and log files of their own.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "common/settings/schema.h"
#include "platform/platform.h"
#include "tests/common/temp_dir.h"

extern char** environ;

namespace quillon {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr int kTimeoutMs = 30000;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

void WriteExecutable(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
  chmod(path.c_str(), 0755);
}

// Waits for a child with a bounded time-out (over a pidfd, no sleeping); returns its exit
// status as waitpid gives it, or -1 after killing it when it did not end in time.
int WaitBounded(pid_t pid) {
  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidfd >= 0) {
    pollfd p{pidfd, POLLIN, 0};
    const int ready = poll(&p, 1, kTimeoutMs);
    close(pidfd);
    if (ready != 1) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return -1;
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

struct Result {
  int exit_code = -1;
  std::string err;
};

class SetupSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    root_ = temp_.path();
    bin_ = root_ + "/opt/quillon/bin/";
    fs::create_directories(bin_);
    fs::create_directories(root_ + "/tmp");
    fs::copy_file(TALVENU2_PATH, bin_ + "TALVENU2");
    fs::copy_file(TALVENST_PATH, bin_ + "TALVENST");
    fs::copy_file(SETUP_INI_PATH, bin_ + "TALVENU2.ini");
    // The service program stand-in records each command line it is run with.
    WriteExecutable(bin_ + "TALVENSV",
                    "#!/bin/sh\necho \"$*\" >> \"" + root_ + "/talvensv.calls\"\nexit 0\n");
    env_ = {
        {"QUILLON_REGISTRY", root_ + "/var/registry.db"},
        {"QUILLON_APPLICATIONS_DIR", root_ + "/share/applications/"},
        {"XDG_CONFIG_HOME", root_ + "/config"},
        {"TMPDIR", root_ + "/tmp"},
        {"HOME", root_ + "/home"},
        {"PATH", "/usr/bin:/bin"},
        {"LANG", "C.UTF-8"},
    };
  }

  // Runs a program of the temporary directory with `args` and the test's environment.
  Result RunProgram(const std::string& name, const std::vector<std::string>& args) {
    std::vector<std::string> argv_text = {bin_ + name};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_text;
    for (const auto& [k, v] : env_) env_text.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (std::string& e : env_text) envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string err_path = root_ + "/stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addchdir_np(&actions, root_.c_str());
    pid_t pid = 0;
    Result result;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
      const int status = WaitBounded(pid);
      if (status >= 0 && WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.err = ReadFile(err_path);
    return result;
  }

  Result Setup(const std::vector<std::string>& args) { return RunProgram("TALVENU2", args); }
  std::vector<std::string> ServiceCalls() { return Lines(ReadFile(root_ + "/talvensv.calls")); }
  std::string MenuEntry() const { return root_ + "/share/applications/Quillon.desktop"; }
  std::string StartupEntry() const { return root_ + "/config/autostart/TALVEN StartUp.desktop"; }
  std::string DefaultLog() const { return root_ + "/tmp/TALVENUP.LOG"; }

  TempDir temp_{"setup_system_test."};
  std::string root_;
  std::string bin_;
  std::map<std::string, std::string> env_;
};

TEST_F(SetupSystemTest, FreshInstallationFillsTheStoreRegistersTheServiceAndWritesEntries) {
  const Result r = Setup({"/S"});
  EXPECT_EQ(r.exit_code, 0) << r.err;

  auto store = NewStore(env_["QUILLON_REGISTRY"]);
  ValueType type;
  std::string data;
  ASSERT_EQ(store->GetValue(kRootKey, "V/L", &type, &data), kOk);
  EXPECT_EQ(data, std::string("V5.1 L13-03", 12));  // from the shipped INI
  ASSERT_EQ(store->GetValue(kLimitKey, "RAID16", &type, &data), kOk);
  EXPECT_EQ(data, std::string("\xa8\x66\0\0", 4));  // 26280
  ASSERT_EQ(store->GetValue(kRootKey, "TempDir", &type, &data), kOk);
  EXPECT_EQ(data, bin_ + "Temp/" + std::string(1, '\0'));
  EXPECT_EQ(store->GetValue(kCurrentDisplayItemKey, "ItemNo", &type, &data), kOk);

  EXPECT_THAT(ServiceCalls(), ElementsAre("-remove", "-install"));

  const std::string menu = ReadFile(MenuEntry());
  EXPECT_THAT(menu, HasSubstr("\nName=Quillon\n"));
  EXPECT_THAT(menu, HasSubstr("\nExec=" + bin_ + "TALVENUI\n"));
  EXPECT_THAT(menu, HasSubstr("\nPath=" + bin_ + "\n"));
  const std::string startup = ReadFile(StartupEntry());
  EXPECT_THAT(startup, HasSubstr("\nName=Quillon StartUp\n"));
  EXPECT_THAT(startup, HasSubstr("\nExec=" + bin_ + "TALVENSU\n"));

  const std::vector<std::string> log = Lines(ReadFile(DefaultLog()));
  ASSERT_EQ(log.size(), 2u);
  const std::regex stamp(R"re(^\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}"\(TALVENU2\)"\t)re");
  EXPECT_TRUE(std::regex_search(log[0], stamp)) << log[0];
  EXPECT_THAT(log[0], ::testing::EndsWith("\tTALVENU2.EXE start."));
  EXPECT_THAT(log[1], ::testing::EndsWith("\tTALVENU2.EXE complete."));
}

TEST_F(SetupSystemTest, ASecondRunKeepsTheOperatorsData) {
  ASSERT_EQ(Setup({"/S"}).exit_code, 0);
  {
    auto store = NewStore(env_["QUILLON_REGISTRY"]);
    ASSERT_EQ(store->SetValue(kRootKey, "InstallDate", ValueType::kSz,
                              std::string("2020/01/02 03:04:05", 20)),
              kOk);
    ASSERT_EQ(store->SetValue(kSetupDateKey, "RAIDCount", ValueType::kDword,
                              std::string("\x02\0\0\0", 4)),
              kOk);
    ASSERT_EQ(
        store->SetValue(kNotifyDoneKey, "UPS", ValueType::kDword, std::string("\x01\0\0\0", 4)),
        kOk);
  }
  ASSERT_EQ(Setup({"/S"}).exit_code, 0);
  auto store = NewStore(env_["QUILLON_REGISTRY"]);
  ValueType type;
  std::string data;
  ASSERT_EQ(store->GetValue(kRootKey, "InstallDate", &type, &data), kOk);
  EXPECT_EQ(data, std::string("2020/01/02 03:04:05", 20));
  ASSERT_EQ(store->GetValue(kSetupDateKey, "RAIDCount", &type, &data), kOk);
  EXPECT_EQ(data, std::string("\x02\0\0\0", 4));
  ASSERT_EQ(store->GetValue(kNotifyDoneKey, "UPS", &type, &data), kOk);
  EXPECT_EQ(data, std::string("\0\0\0\0", 4));
  EXPECT_THAT(ServiceCalls(), ElementsAre("-remove", "-install", "-remove", "-install"));
  EXPECT_EQ(Lines(ReadFile(DefaultLog())).size(), 4u);
}

TEST_F(SetupSystemTest, LogGoesToTheF2PathWhoseDirectoriesAreCreated) {
  const std::string log = root_ + "/logs/quillon/setup.log";
  EXPECT_EQ(Setup({"-f2" + log}).exit_code, 0);
  const std::vector<std::string> lines = Lines(ReadFile(log));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_THAT(lines[1], ::testing::EndsWith("\tTALVENU2.EXE complete."));
  EXPECT_FALSE(fs::exists(DefaultLog()));
}

TEST_F(SetupSystemTest, AnF2PathThatCannotBeCreatedGivesItsErrorAndNoServiceRegistration) {
  const std::string log = root_ + "/" + std::string(300, 'x') + "/setup.log";
  EXPECT_EQ(Setup({"-f2" + log}).exit_code, 206);  // the name is too long
  EXPECT_TRUE(ServiceCalls().empty());
  EXPECT_FALSE(fs::exists(MenuEntry()));
  EXPECT_FALSE(fs::exists(StartupEntry()));
  EXPECT_FALSE(fs::exists(DefaultLog()));
}

TEST_F(SetupSystemTest, AStoreThatCannotBeWrittenGivesExitCode3) {
  // A plain file where the store's directory should be: no process can create the store,
  // whatever its rights.
  std::ofstream(root_ + "/blocker") << "x";
  env_["QUILLON_REGISTRY"] = root_ + "/blocker/registry.db";
  EXPECT_EQ(Setup({"/S"}).exit_code, 3);
  const std::vector<std::string> log = Lines(ReadFile(DefaultLog()));
  ASSERT_EQ(log.size(), 2u);
  EXPECT_THAT(log[1], ::testing::EndsWith("\tRegistry Error. Can not set data to registry."));
  EXPECT_TRUE(ServiceCalls().empty());
  EXPECT_FALSE(fs::exists(MenuEntry()));
}

TEST_F(SetupSystemTest, AMissingServiceProgramGivesExitCode3) {
  fs::remove(bin_ + "TALVENSV");
  EXPECT_EQ(Setup({"/S"}).exit_code, 3);
  const std::vector<std::string> log = Lines(ReadFile(DefaultLog()));
  ASSERT_EQ(log.size(), 2u);
  EXPECT_THAT(log[1], ::testing::EndsWith("\tStart Error. Can not start TALVENSV.EXE."));
  EXPECT_FALSE(fs::exists(MenuEntry()));
  EXPECT_FALSE(fs::exists(StartupEntry()));
}

TEST_F(SetupSystemTest, NoArgumentPrintsTheMessageAndTouchesNothing) {
  const Result r = Setup({});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_THAT(r.err, HasSubstr("パラメータの指定に誤りがあります。"));
  EXPECT_FALSE(fs::exists(env_["QUILLON_REGISTRY"]));
  EXPECT_FALSE(fs::exists(DefaultLog()));
  EXPECT_TRUE(ServiceCalls().empty());
}

TEST_F(SetupSystemTest, LauncherStartsTalvensuAndDoesNotWaitForIt) {
  // TALVENSU reports its pid and command line through a FIFO, then stays running until the
  // test ends it: TALVENST must have ended long before.
  const std::string fifo = root_ + "/ready";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  WriteExecutable(bin_ + "TALVENSU",
                  "#!/bin/sh\necho \"$$ $0 $#\" > \"" + fifo + "\"\nexec sleep 600\n");
  const int ready = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(ready, 0);

  const Result r = RunProgram("TALVENST", {"ignored", "arguments"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.err, "");

  pollfd p{ready, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, kTimeoutMs), 1);
  char buffer[512] = {};
  const ssize_t n = read(ready, buffer, sizeof(buffer) - 1);
  close(ready);
  ASSERT_GT(n, 0);
  std::istringstream line(buffer);
  pid_t pid = 0;
  std::string program;
  int argc = -1;
  line >> pid >> program >> argc;
  EXPECT_EQ(program, bin_ + "TALVENSU");
  EXPECT_EQ(argc, 0);  // no arguments: the path is the whole command line
  ASSERT_GT(pid, 0);
  EXPECT_EQ(kill(pid, 0), 0) << "TALVENSU should still be running";
  kill(pid, SIGTERM);
}

TEST_F(SetupSystemTest, LauncherWithoutTalvensuEndsWithZeroAndSaysNothing) {
  const Result r = RunProgram("TALVENST", {});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace quillon
