// The real TALVENSV asked to stop while its start-time hardware step waits: in a pause
// between cabinet tries, in a pause between RAID report attempts, while the RAID report
// script hangs and while a KORI call is in flight. Under systemd's protocol (NOTIFY_SOCKET,
// SIGTERM) and in -debug (SIGINT) the process ends with its stop lines, builds no worker and
// leaves nothing of the script behind. The time from the signal to the end is printed.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "platform/event.h"
#include "tests/common/service_sandbox.h"

namespace quillon {
namespace {

constexpr uint32_t kBoundMs = 20000;  // only a service that does not stop makes a test wait

// A RAID report script that fails, so the discovery pauses before its next attempt.
constexpr char kFailingScript[] = "#!/bin/sh\nexit 2\n";
// A RAID report script that never ends, with a child of its own that ignores SIGTERM; it
// notes the child and then says it is up.
constexpr char kHangingScript[] =
    "#!/bin/sh\n"
    "sh -c 'trap \"\" TERM; sleep 1000' &\n"
    "echo $! > child\n"
    "echo up > script-up\n"
    "sleep 1000\n";

enum class Mode { kService, kDebug };

struct StopCase {
  std::vector<std::string> kori_options;
  const char* script = nullptr;  // replaces RdQueryH.sh when set
  // True once the service waits where the stop is to arrive.
  std::function<bool(ServiceSandbox&)> waiting;
};

bool KoriLogHas(ServiceSandbox& box, const std::string& text) {
  const std::vector<std::string> log = box.KoriCalls();
  return std::any_of(log.begin(), log.end(),
                     [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

// Waits, bounded, for a condition that no file of the sandbox announces (the simulator's
// log lies elsewhere).
bool Poll(const std::function<bool()>& done) {
  for (int i = 0; i < 2000; ++i) {
    if (done()) return true;
    WaitOne(Event().waitable(), 10);
  }
  return done();
}

// True when the process is gone or only a zombie waiting for its parent.
bool Ended(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string fields;
  if (!std::getline(stat, fields)) return true;
  const size_t paren = fields.rfind(')');
  return paren != std::string::npos && fields.compare(paren + 2, 1, "Z") == 0;
}

void RunStopCase(const char* name, const StopCase& c, Mode mode) {
  SCOPED_TRACE(std::string(name) + (mode == Mode::kService ? " / SIGTERM" : " / SIGINT"));
  ServiceSandbox box;
  box.set_kori_options(c.kori_options);
  if (c.script != nullptr) {
    const std::string script = box.dir() + "/RdQueryH.sh";
    std::ofstream(script, std::ios::trunc) << c.script;
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  }
  WritePsuCheck(box.store(), 1);
  ASSERT_TRUE(mode == Mode::kService ? box.StartAsService() : box.Start()) << box.start_error();
  ASSERT_TRUE(box.WaitForTrace("*** TALVEN SERVICE START ***", 1, kBoundMs)) << box.Trace();
  ASSERT_TRUE(Poll([&] { return c.waiting(box); })) << box.Trace();

  const auto signalled = std::chrono::steady_clock::now();
  box.Signal(mode == Mode::kService ? SIGTERM : SIGINT);
  ASSERT_EQ(box.WaitExit(kBoundMs), 0) << box.Trace();
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - signalled)
          .count();
  std::printf("stop latency, %s, %s: %.0f ms\n", name,
              mode == Mode::kService ? "SIGTERM under NOTIFY_SOCKET" : "SIGINT in -debug", ms);

  // Stopped in order, without building the worker or finishing the step.
  EXPECT_EQ(box.TraceCount("Service command terminate."), 1) << box.Trace();
  EXPECT_EQ(box.TraceCount("Service Running loop end."), 1) << box.Trace();
  EXPECT_EQ(box.TraceCount("All threads 1/1 terminate success."), 1) << box.Trace();
  EXPECT_EQ(box.TraceCount("CreateHandle 1/1 Success."), 0) << box.Trace();
  EXPECT_EQ(box.Trace().find("PSU Check"), std::string::npos) << box.Trace();
  uint32_t psu_check = 0;
  ReadPsuCheck(box.store(), &psu_check);
  EXPECT_EQ(psu_check, 1u);
  if (mode == Mode::kService) {
    const std::vector<std::string> messages = box.Notifications();
    // Running, then stop pending and stopped, both STOPPING=1.
    auto has = [](const std::string& text) {
      return [text](const std::string& m) { return m.find(text) != std::string::npos; };
    };
    const auto ready = std::find_if(messages.begin(), messages.end(), has("READY=1"));
    ASSERT_NE(ready, messages.end());
    EXPECT_EQ(std::count_if(ready, messages.end(), has("STOPPING=1")), 2);
    EXPECT_TRUE(has("STATUS=Stopped")(messages.back())) << messages.back();
  }
  std::ifstream child(box.dir() + "/child");
  std::string child_pid;
  if (std::getline(child, child_pid)) {
    EXPECT_TRUE(Poll([&] { return Ended(child_pid); }))
        << "the RAID script's child " << child_pid << " still runs";
  }
}

void RunBothModes(const char* name, const StopCase& c) {
  RunStopCase(name, c, Mode::kService);
  RunStopCase(name, c, Mode::kDebug);
}

TEST(ServiceStopTest, StopInACabinetPause) {
  RunBothModes("cabinet pause",
               {{"--status=0xE204:9", "--status=0xE000:1"}, nullptr, [](ServiceSandbox& box) {
                  return KoriLogHas(box, "command=0xE204");
                }});
}

TEST(ServiceStopTest, StopInARaidPause) {
  RunBothModes("RAID pause", {kSandboxKoriOptions, kFailingScript, [](ServiceSandbox& box) {
                                return box.TraceCount("GetBBU_3: RdQueryH.bat [ExitCode=2].") > 0;
                              }});
}

TEST(ServiceStopTest, StopWhileTheRaidScriptHangs) {
  RunBothModes("hanging RAID script",
               {kSandboxKoriOptions, kHangingScript, [](ServiceSandbox& box) {
                  return std::filesystem::exists(box.dir() + "/script-up");
                }});
}

TEST(ServiceStopTest, StopDuringAKoriCall) {
  RunBothModes("KORI call in flight", {{"--hang=0xE204"}, nullptr, [](ServiceSandbox& box) {
                                         return KoriLogHas(box, "hang");
                                       }});
}

}  // namespace
}  // namespace quillon
