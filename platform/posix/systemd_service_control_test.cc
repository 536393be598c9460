#include "platform/posix/systemd_service_control.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

ServiceStatusRecord Record(ServiceState state, uint32_t check_point, uint32_t wait_hint) {
  ServiceStatusRecord r;
  r.current_state = state;
  r.check_point = check_point;
  r.wait_hint = wait_hint;
  return r;
}

TEST(NotifyMessageTest, StatesBecomeNotifyMessages) {
  EXPECT_EQ(NotifyMessage(Record(ServiceState::kStartPending, 1, 3000)),
            "STATUS=Starting (check point 1)\nEXTEND_TIMEOUT_USEC=3000000");
  EXPECT_EQ(NotifyMessage(Record(ServiceState::kRunning, 0, 0)), "READY=1\nSTATUS=Running");
  EXPECT_EQ(NotifyMessage(Record(ServiceState::kStopPending, 3, 0)),
            "STOPPING=1\nSTATUS=Stopping (check point 3)");
  EXPECT_EQ(NotifyMessage(Record(ServiceState::kStopPending, 4, 15000)),
            "STOPPING=1\nSTATUS=Stopping (check point 4)\nEXTEND_TIMEOUT_USEC=15000000");
  EXPECT_EQ(NotifyMessage(Record(ServiceState::kStopped, 0, 0)), "STOPPING=1\nSTATUS=Stopped");
  ServiceStatusRecord failed = Record(ServiceState::kStopped, 0, 0);
  failed.win32_exit_code = 1067;
  EXPECT_EQ(NotifyMessage(failed), "STOPPING=1\nSTATUS=Stopped (exit code 1067)");
  // The largest hint does not overflow.
  EXPECT_EQ(NotifyMessage(Record(ServiceState::kStartPending, 2, 0xFFFFFFFF)),
            "STATUS=Starting (check point 2)\nEXTEND_TIMEOUT_USEC=4294967295000");
}

// A datagram socket standing in for systemd's notification socket; sets NOTIFY_SOCKET.
class NotifySocket {
 public:
  NotifySocket() {
    path_ = dir_.File("notify");
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path_.c_str(), sizeof addr.sun_path - 1);
    bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    setenv("NOTIFY_SOCKET", path_.c_str(), 1);
  }
  ~NotifySocket() {
    unsetenv("NOTIFY_SOCKET");
    close(fd_);
  }
  bool bound() const { return bound_; }
  // The next message, waiting at most 10 s.
  std::string Receive() {
    timeval tv{10, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    char buffer[4096];
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
  }

 private:
  TempDir dir_{"quillon-notify."};
  std::string path_;
  int fd_ = -1;
  bool bound_ = false;
};

TEST(SystemdServiceControlTest, HandOverNeedsTheNotifySocket) {
  unsetenv("NOTIFY_SOCKET");
  SystemdServiceControl control;
  bool called = false;
  EXPECT_EQ(control.RunDispatcher("TALVEN", [&] { called = true; }),
            kErrorFailedServiceControllerConnect);
  EXPECT_FALSE(called);
  EXPECT_NE(control.SetStatus(Record(ServiceState::kRunning, 0, 0)), kOk);

  NotifySocket socket;
  ASSERT_TRUE(socket.bound());
  EXPECT_EQ(control.RunDispatcher("TALVEN", [&] { called = true; }), kOk);
  EXPECT_TRUE(called);
}

TEST(SystemdServiceControlTest, StatusReportsReachTheNotifySocket) {
  NotifySocket socket;
  ASSERT_TRUE(socket.bound());
  SystemdServiceControl control;
  EXPECT_EQ(control.SetStatus(Record(ServiceState::kStartPending, 1, 3000)), kOk);
  EXPECT_EQ(socket.Receive(), "STATUS=Starting (check point 1)\nEXTEND_TIMEOUT_USEC=3000000");
  EXPECT_EQ(control.SetStatus(Record(ServiceState::kRunning, 0, 0)), kOk);
  EXPECT_EQ(socket.Receive(), "READY=1\nSTATUS=Running");
  // A text beside the state: sent at once, kept with later reports, removed when empty.
  EXPECT_EQ(control.SetStatusText("settings store /x not usable: file is not a database"), kOk);
  EXPECT_EQ(socket.Receive(),
            "STATUS=Running; settings store /x not usable: file is not a database");
  EXPECT_EQ(control.SetStatus(Record(ServiceState::kStopPending, 1, 0)), kOk);
  EXPECT_EQ(socket.Receive(),
            "STOPPING=1\nSTATUS=Stopping (check point 1); settings store /x not usable: file is "
            "not a database");
  EXPECT_EQ(control.SetStatusText(""), kOk);
  EXPECT_EQ(socket.Receive(), "STATUS=Stopping (check point 1)");
}

TEST(SystemdServiceControlTest, StatusReportToAMissingSocketFails) {
  setenv("NOTIFY_SOCKET", "/nonexistent/quillon/notify", 1);
  SystemdServiceControl control;
  EXPECT_NE(control.SetStatus(Record(ServiceState::kRunning, 0, 0)), kOk);
  unsetenv("NOTIFY_SOCKET");
}

// Records the calls of a handler and lets the test wait for them.
class Calls {
 public:
  void Add(uint32_t value) {
    std::lock_guard<std::mutex> lock(mu_);
    values_.push_back(value);
    cv_.notify_all();
  }
  bool WaitForCount(size_t n) {
    std::unique_lock<std::mutex> lock(mu_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return values_.size() >= n; });
  }
  std::vector<uint32_t> values() {
    std::lock_guard<std::mutex> lock(mu_);
    return values_;
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  std::vector<uint32_t> values_;
};

TEST(SystemdServiceControlTest, SigtermIsTheStopControl) {
  Calls calls;
  SystemdServiceControl control;
  ASSERT_EQ(control.RegisterControlHandler("TALVEN",
                                           [&](uint32_t c) {
                                             calls.Add(c);
                                             return 0u;
                                           }),
            kOk);
  // A second registration replaces the handler.
  Calls second;
  ASSERT_EQ(control.RegisterControlHandler("TALVEN",
                                           [&](uint32_t c) {
                                             second.Add(c);
                                             return 0u;
                                           }),
            kOk);
  ASSERT_EQ(kill(getpid(), SIGTERM), 0);
  ASSERT_TRUE(second.WaitForCount(1));
  EXPECT_EQ(second.values(), std::vector<uint32_t>{kServiceControlStop});
  EXPECT_TRUE(calls.values().empty());
}

TEST(SystemdServiceControlTest, SigintAndSigquitAreTheConsoleEvents) {
  Calls calls;
  SystemdServiceControl control;
  ASSERT_EQ(control.SetConsoleHandler([&](uint32_t e) {
    calls.Add(e);
    return true;
  }),
            kOk);
  ASSERT_EQ(kill(getpid(), SIGINT), 0);
  ASSERT_TRUE(calls.WaitForCount(1));
  ASSERT_EQ(kill(getpid(), SIGQUIT), 0);
  ASSERT_TRUE(calls.WaitForCount(2));
  EXPECT_EQ(calls.values(), (std::vector<uint32_t>{kCtrlCEvent, kCtrlBreakEvent}));
}

TEST(SystemdServiceControlDeathTest, AnUnhandledConsoleEventEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SystemdServiceControl control;
        control.SetConsoleHandler([](uint32_t) { return false; });
        kill(getpid(), SIGINT);
        for (;;) pause();
      },
      ::testing::KilledBySignal(SIGINT), "");
}

}  // namespace
}  // namespace quillon
