#include "platform/fakes/recorders.h"

#include <algorithm>

namespace quillon {

int RecordingTraceSink::Append(std::string_view path, std::string_view message) {
  std::lock_guard<std::mutex> lock(mu_);
  paths_.emplace_back(path);
  messages_.emplace_back(message);
  return 0;
}

std::vector<std::string> RecordingTraceSink::messages() {
  std::lock_guard<std::mutex> lock(mu_);
  return messages_;
}

std::vector<std::string> RecordingTraceSink::paths() {
  std::lock_guard<std::mutex> lock(mu_);
  return paths_;
}

int RecordingTraceSink::Count(std::string_view message) {
  std::lock_guard<std::mutex> lock(mu_);
  return static_cast<int>(std::count(messages_.begin(), messages_.end(), message));
}

void RecordingTraceSink::Clear() {
  std::lock_guard<std::mutex> lock(mu_);
  messages_.clear();
  paths_.clear();
}

Status RecordingEventLog::Report(const EventRecord& record) {
  std::lock_guard<std::mutex> lock(mu_);
  if (fail_with_ != kOk) return fail_with_;
  events_.push_back(record);
  return kOk;
}

std::vector<EventRecord> RecordingEventLog::events() {
  std::lock_guard<std::mutex> lock(mu_);
  return events_;
}

int RecordingEventLog::Count(uint32_t event_id) {
  std::lock_guard<std::mutex> lock(mu_);
  return static_cast<int>(std::count_if(events_.begin(), events_.end(), [&](const EventRecord& e) {
    return e.event_id == event_id;
  }));
}

void RecordingEventLog::Clear() {
  std::lock_guard<std::mutex> lock(mu_);
  events_.clear();
}

Status RecordingProcessLauncher::Started(std::string_view command_line,
                                         std::string_view working_directory, bool waited,
                                         uint32_t* exit_code) {
  calls_.push_back({std::string(command_line), std::string(working_directory), waited});
  // As the real launcher: a command line without a program starts nothing.
  std::vector<std::string> args = SplitCommandLine(command_line);
  if (args.empty() || args[0].empty()) return kErrorNotFound;
  auto it = failures_.find(args[0]);
  if (it != failures_.end()) return it->second;
  if (exit_code != nullptr) {
    auto code = exit_codes_.find(args[0]);
    *exit_code = code == exit_codes_.end() ? 0 : code->second;
  }
  return kOk;
}

Status RecordingProcessLauncher::Start(std::string_view command_line,
                                       std::string_view working_directory) {
  std::lock_guard<std::mutex> lock(mu_);
  return Started(command_line, working_directory, false, nullptr);
}

Status RecordingProcessLauncher::Run(std::string_view command_line,
                                     std::string_view working_directory, uint32_t* exit_code) {
  std::lock_guard<std::mutex> lock(mu_);
  return Started(command_line, working_directory, true, exit_code);
}

Status RecordingProcessLauncher::RunUntil(std::string_view command_line,
                                          std::string_view working_directory, Waitable stop,
                                          uint32_t* exit_code) {
  // A program that cannot start reports that, stop or not; a stopped one has no exit code.
  const bool stopped = stop != kInvalidWaitable && WaitOne(stop, 0) == 0;
  uint32_t code = 0;
  Status status;
  {
    std::lock_guard<std::mutex> lock(mu_);
    status = Started(command_line, working_directory, true, &code);
  }
  if (status != kOk) return status;
  if (stopped) return kErrorOperationAborted;
  if (exit_code != nullptr) *exit_code = code;
  return kOk;
}

void RecordingProcessLauncher::FailProgram(const std::string& program, Status status) {
  std::lock_guard<std::mutex> lock(mu_);
  failures_[program] = status;
}

void RecordingProcessLauncher::SetExitCode(const std::string& program, uint32_t code) {
  std::lock_guard<std::mutex> lock(mu_);
  exit_codes_[program] = code;
}

std::vector<RecordingProcessLauncher::Call> RecordingProcessLauncher::calls() {
  std::lock_guard<std::mutex> lock(mu_);
  return calls_;
}

void RecordingProcessLauncher::Clear() {
  std::lock_guard<std::mutex> lock(mu_);
  calls_.clear();
}

}  // namespace quillon
