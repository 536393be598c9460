#ifndef QUILLON_PLATFORM_FAKES_RECORDERS_H_
#define QUILLON_PLATFORM_FAKES_RECORDERS_H_

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/event_log.h"
#include "platform/process_launcher.h"
#include "platform/trace_sink.h"

namespace quillon {

// Records every trace line instead of writing it. Thread-safe.
class RecordingTraceSink : public TraceSink {
 public:
  int Append(std::string_view path, std::string_view message) override;
  std::vector<std::string> messages();
  std::vector<std::string> paths();
  // Number of recorded lines equal to `message`.
  int Count(std::string_view message);
  void Clear();

 private:
  std::mutex mu_;
  std::vector<std::string> messages_;
  std::vector<std::string> paths_;
};

// Records every event instead of reporting it; `fail_with` makes Report fail. Thread-safe.
class RecordingEventLog : public EventLog {
 public:
  Status Report(const EventRecord& record) override;
  std::vector<EventRecord> events();
  int Count(uint32_t event_id);
  void Clear();
  void set_fail_with(Status s) { fail_with_ = s; }

 private:
  std::mutex mu_;
  std::vector<EventRecord> events_;
  Status fail_with_ = kOk;
};

// Records every command line instead of starting a program. A command line whose program
// (first argument) is listed with FailProgram fails with the given status, and one without a
// program with kErrorNotFound, as the real launcher does; Run reports the exit code set with
// SetExitCode (0 by default); RunUntil with `stop` already signalled records the call and
// reports kErrorOperationAborted (or the failure of a program that cannot start). Keeps the
// contract of platform/testing/process_launcher_contract.h. Thread-safe.
class RecordingProcessLauncher : public ProcessLauncher {
 public:
  struct Call {
    std::string command_line;
    std::string working_directory;
    bool waited = false;
  };
  Status Start(std::string_view command_line, std::string_view working_directory) override;
  Status Run(std::string_view command_line, std::string_view working_directory,
             uint32_t* exit_code) override;
  Status RunUntil(std::string_view command_line, std::string_view working_directory, Waitable stop,
                  uint32_t* exit_code) override;

  void FailProgram(const std::string& program, Status status);
  void SetExitCode(const std::string& program, uint32_t code);
  std::vector<Call> calls();
  void Clear();

 private:
  // Records the call and gives its result: the status, and the exit code in *exit_code
  // (when not null) on success. mu_ held.
  Status Started(std::string_view command_line, std::string_view working_directory, bool waited,
                 uint32_t* exit_code);

  std::mutex mu_;
  std::vector<Call> calls_;
  std::map<std::string, Status> failures_;
  std::map<std::string, uint32_t> exit_codes_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_FAKES_RECORDERS_H_
