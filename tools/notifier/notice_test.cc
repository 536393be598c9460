#include "tools/notifier/notice.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/event.h"
#include "platform/platform.h"
#include "platform/posix/native_waitable.h"
#include "tests/common/temp_dir.h"

namespace quillon::notifier {
namespace {

constexpr uint32_t kBoundMs = 10000;

TEST(NoticeTest, BothFormsAndSplitTexts) {
  Notice n;
  ASSERT_TRUE(ParseArguments("TALVENMS", {"CPU FAN exceeded.\nCall us."}, &n));
  EXPECT_EQ(n.text, "CPU FAN exceeded.\nCall us.");
  EXPECT_EQ(n.item, -1);
  ASSERT_TRUE(ParseArguments("TALVENMI", {"It is 5 days.", "3"}, &n));
  EXPECT_EQ(n.text, "It is 5 days.");
  EXPECT_EQ(n.item, 3);
  // An unquoted text arrives as words and is put back together.
  ASSERT_TRUE(ParseArguments("TALVENMS", {"It", "is", "23", "hours", "19"}, &n));
  EXPECT_EQ(n.text, "It is 23 hours");
  EXPECT_EQ(n.item, 19);
  // A lone number is text, not an item.
  ASSERT_TRUE(ParseArguments("TALVENMS", {"42"}, &n));
  EXPECT_EQ(n.text, "42");
  EXPECT_FALSE(ParseArguments("TALVENMS", {}, &n));
  EXPECT_EQ(FormatNotice({"TALVENMI", "a\nb", 3}), "\n*** Quillon (TALVENMI, item 3) ***\na\nb\n");
  EXPECT_EQ(ForTerminal("a\nb\n"), "a\r\nb\r\n");
}

class StandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    dir_ = temp_.path();
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
  }
  void TearDown() override {
    unsetenv("QUILLON_NOTIFY_TTYS");
    unsetenv("QUILLON_NOTIFY_LOG");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
  }
  std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  uint32_t RunStandIn(const std::string& args) {
    uint32_t code = 99;
    std::unique_ptr<ProcessLauncher> launcher = NewProcessLauncher();
    EXPECT_EQ(launcher->Run("\"" TALVENMS_PATH "\" " + args, "", &code), kOk);
    return code;
  }
  TempDir temp_{"quillon-notify-"};
  std::string dir_;
};

TEST_F(StandInTest, WritesToEveryListedTerminalAndTheLog) {
  // One real terminal (a pseudo-terminal) and one plain file.
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  std::string pts = ptsname(master);
  int slave = open(pts.c_str(), O_RDWR | O_NOCTTY);  // keeps the terminal open
  std::string file = dir_ + "/tty2";
  std::ofstream(file).close();  // terminals are never created, only written to
  setenv("QUILLON_NOTIFY_TTYS", (pts + ":" + file).c_str(), 1);
  setenv("QUILLON_NOTIFY_LOG", (dir_ + "/notify.log").c_str(), 1);

  EXPECT_EQ(RunStandIn("\"RAID's Battery (RAID#03).\nHave you already arranged ?\" 3"), 0u);
  const std::string expected =
      "\n*** Quillon (TALVENMS, item 3) ***\nRAID's Battery (RAID#03).\n"
      "Have you already arranged ?\n";
  EXPECT_EQ(Slurp(file), expected);
  EXPECT_EQ(Slurp(dir_ + "/notify.log"), expected);
  // The terminal gets the same text (its line discipline may add carriage returns).
  ASSERT_EQ(WaitOne(NativeWaitable::FromFd(master), kBoundMs), 0);
  char buf[512];
  ssize_t n = read(master, buf, sizeof buf);
  ASSERT_GT(n, 0);
  std::string seen(buf, n);
  std::erase(seen, '\r');
  EXPECT_EQ(seen, expected);
  close(slave);
  close(master);

  EXPECT_EQ(RunStandIn(""), 2u);
}

// A notification server on a private session bus that records the first Notify call.
struct FakeNotificationServer {
  static int OnNotify(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* self = static_cast<FakeNotificationServer*>(userdata);
    const char *app, *icon, *summary, *body;
    uint32_t replaces;
    sd_bus_message_read(m, "susss", &app, &replaces, &icon, &summary, &body);
    self->summary = summary;
    self->body = body;
    self->got.Set();
    return sd_bus_reply_method_return(m, "u", 7u);
  }
  std::string summary, body;
  Event got;
};

TEST_F(StandInTest, DesktopNotificationOnTheSessionBus) {
  // A private bus daemon; its address comes back on a pipe.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t daemon = fork();
  if (daemon == 0) {
    dup2(fds[1], 1);
    execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--print-address=1", nullptr);
    _exit(127);
  }
  close(fds[1]);
  ASSERT_EQ(WaitOne(NativeWaitable::FromFd(fds[0]), kBoundMs), 0);
  char addr[512] = {};
  ssize_t n = read(fds[0], addr, sizeof addr - 1);
  ASSERT_GT(n, 0);
  std::string address(addr, n);
  address.erase(address.find_last_not_of("\n") + 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  setenv("QUILLON_NOTIFY_TTYS", "", 1);

  sd_bus* bus = nullptr;
  ASSERT_GE(sd_bus_open_user(&bus), 0);
  FakeNotificationServer server;
  static const sd_bus_vtable vtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", FakeNotificationServer::OnNotify, 0),
      SD_BUS_VTABLE_END};
  ASSERT_GE(sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/Notifications",
                                     "org.freedesktop.Notifications", vtable, &server),
            0);
  ASSERT_GE(sd_bus_request_name(bus, "org.freedesktop.Notifications", 0), 0);
  Event done;
  std::thread serve([&] {
    // Serve until the stand-in has been answered, with a bounded wait per round.
    while (!done.IsSet()) {
      if (sd_bus_process(bus, nullptr) > 0) continue;
      Waitable objects[] = {NativeWaitable::FromFd(sd_bus_get_fd(bus)), done.waitable()};
      WaitAny(objects, kBoundMs);
    }
  });
  EXPECT_EQ(RunStandIn("\"CPU FAN exceeded the operating life.\""), 0u);
  done.Set();
  serve.join();
  EXPECT_TRUE(server.got.IsSet());
  EXPECT_EQ(server.summary, "Quillon (TALVENMS)");
  EXPECT_EQ(server.body, "CPU FAN exceeded the operating life.");
  sd_bus_flush_close_unref(bus);
  kill(daemon, SIGTERM);
  waitpid(daemon, nullptr, 0);
  close(fds[0]);
}

}  // namespace
}  // namespace quillon::notifier
