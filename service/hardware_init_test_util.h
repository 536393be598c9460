#ifndef QUILLON_SERVICE_HARDWARE_INIT_TEST_UTIL_H_
#define QUILLON_SERVICE_HARDWARE_INIT_TEST_UTIL_H_

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "common/log/trace_log.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"
#include "platform/fakes/recorders.h"
#include "platform/process_launcher.h"
#include "service/raid_discovery.h"
#include "service/service_env.h"
#include "tests/common/temp_dir.h"

namespace quillon {

// A launcher whose Run answers through a test's function, given the number of the call
// (0, 1, ...); the function may write the report file as the script would. RunUntil reports
// kErrorOperationAborted when the stop event is signalled once the function returns (a
// function that signals it plays a stop request arriving while the script runs).
class ScriptedLauncher : public ProcessLauncher {
 public:
  using Script = std::function<Status(int call, uint32_t* exit_code)>;
  Status Start(std::string_view, std::string_view) override { return kErrorCallNotImplemented; }
  Status Run(std::string_view command_line, std::string_view working_directory,
             uint32_t* exit_code) override {
    command_lines.emplace_back(command_line);
    working_directories.emplace_back(working_directory);
    int call = runs++;
    if (!script) {
      *exit_code = 0;
      return kOk;
    }
    return script(call, exit_code);
  }
  Status RunUntil(std::string_view command_line, std::string_view working_directory, Waitable stop,
                  uint32_t* exit_code) override {
    const Status status = Run(command_line, working_directory, exit_code);
    if (stop != kInvalidWaitable && WaitOne(stop, 0) == 0) return kErrorOperationAborted;
    return status;
  }
  Script script;
  int runs = 0;
  std::vector<std::string> command_lines;
  std::vector<std::string> working_directories;
};

// The doubles the hardware step works with, over a real temporary program directory.
struct HardwareTestBed {
  HardwareTestBed() {
    dir = temp.path() + "/";
    system.program_path = dir + "TALVENSV";
    clock.Set({2026, 5, 17, 9, 30, 0, 0});
  }
  ServiceEnv env() {
    ServiceEnv e;
    e.store = &store;
    e.system = &system;
    e.clock = &clock;
    e.trace = &trace;
    e.launcher = &launcher;
    return e;
  }
  void WriteReport(const std::string& text) {
    std::ofstream(dir + kRaidReportFile, std::ios::binary) << text;
  }
  // Every run of the script writes `report` and exits 0.
  void ReportAlways(const std::string& report) {
    launcher.script = [this, report](int, uint32_t* code) {
      WriteReport(report);
      *code = 0;
      return kOk;
    };
  }

  TempDir temp{"quillon-hw."};
  std::string dir;
  MemoryStore store;
  FakeSystemInfo system;
  FakeClock clock;
  RecordingTraceSink sink;
  TraceLog trace{&system, &sink};
  ScriptedLauncher launcher;
};

}  // namespace quillon

#endif  // QUILLON_SERVICE_HARDWARE_INIT_TEST_UTIL_H_
