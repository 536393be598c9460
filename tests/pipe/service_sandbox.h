#ifndef QUILLON_TESTS_PIPE_SERVICE_SANDBOX_H_
#define QUILLON_TESTS_PIPE_SERVICE_SANDBOX_H_

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/store.h"

namespace quillon {

// A private copy of TALVENSV in a temporary directory, with its own store
// (QUILLON_REGISTRY) and runtime directory (QUILLON_RUNTIME_DIR), so its trace log, sockets
// and notifier programs all live in that directory. Removes the directory when done and kills
// a service that is still running.
class ServiceSandbox {
 public:
  ServiceSandbox();
  ~ServiceSandbox();

  const std::string& dir() const { return dir_; }
  // The sandbox's store, for setting up and inspecting settings (usable while the service
  // runs).
  Store* store() { return store_.get(); }

  // Places a notifier stand-in named `name` in the program directory that records each
  // command line it receives as one line "<arg1><arg2>..." in the file `calls`.
  void InstallRecordingNotifier(const std::string& name);
  // Lines recorded so far by the recording notifiers.
  std::string Calls();

  // Starts "TALVENSV -debug"; false when it could not be started.
  bool Start();
  // Sends `sig` to the service.
  void Signal(int sig);
  // Waits up to timeout_ms for the service to end; its exit code, or -1 on time-out.
  int WaitExit(uint32_t timeout_ms);

  // The trace log's contents (ORNALOG.TXT beside the program copy).
  std::string Trace();
  // How often `line` occurs as a message in the trace log.
  int TraceCount(const std::string& line);

  // Waits until `done` is true, re-checking whenever a file in the directory changes; false
  // when timeout_ms pass first.
  bool WaitFor(const std::function<bool()>& done, uint32_t timeout_ms);
  bool WaitForTrace(const std::string& line, int count, uint32_t timeout_ms);

  // One request on the pipe `name` with the given bytes; the reply as stored, or "fail N".
  std::string Call(const std::string& name, const std::string& request, size_t* reply_size);

 private:
  std::string dir_;
  std::unique_ptr<Store> store_;
  pid_t pid_ = -1;
  int pidfd_ = -1;
  int inotify_ = -1;
};

}  // namespace quillon

#endif  // QUILLON_TESTS_PIPE_SERVICE_SANDBOX_H_
