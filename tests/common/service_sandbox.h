#ifndef QUILLON_TESTS_COMMON_SERVICE_SANDBOX_H_
#define QUILLON_TESTS_COMMON_SERVICE_SANDBOX_H_

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/store.h"
#include "tests/common/bus_harness.h"
#include "tests/common/temp_dir.h"

namespace quillon {

// The KORI answers a sandbox starts with: cabinet 1 with its model text, a PSU status byte
// of 1 and an operating-time counter that is not available (command 0xE000 answers status 1),
// so the service's start needs no retry and leaves LifeTime alone (KoriEnable 0).
inline const std::vector<std::string> kSandboxKoriOptions = {"--status=0xE000:1"};

// A private copy of TALVENSV in a temporary directory, with its own store
// (QUILLON_REGISTRY) and runtime directory (QUILLON_RUNTIME_DIR), so its trace log, sockets
// and notifier programs all live in that directory. RdQueryH.sh lies beside the program (on a
// machine without a RAID manager it reports so, and the RAID discovery ends at once), and
// Start runs quillon-kori-sim on a private system bus (DBUS_SYSTEM_BUS_ADDRESS, set for this
// process and so for the service), so the start-time hardware step answers at once instead
// of waiting through its retries. Removes the directory when done and kills a service, the
// simulator and the bus that are still running. One sandbox at a time per process (it sets
// process-wide environment variables).
class ServiceSandbox {
 public:
  ServiceSandbox();
  ~ServiceSandbox();

  // The options quillon-kori-sim starts with (see its --help); kSandboxKoriOptions unless
  // changed. Set before the first Start, which starts the simulator.
  void set_kori_options(std::vector<std::string> options) { kori_options_ = std::move(options); }
  // The calls the simulator received so far, one line each.
  std::vector<std::string> KoriCalls() const { return kori_.CallLog(); }

  const std::string& dir() const { return dir_; }
  // The sandbox's store, for setting up and inspecting settings (usable while the service
  // runs).
  Store* store() { return store_.get(); }

  // Places a notifier stand-in named `name` in the program directory that records each
  // command line it receives as one line "<arg1><arg2>..." in the file `calls`.
  void InstallRecordingNotifier(const std::string& name);
  // Lines recorded so far by the recording notifiers.
  std::string Calls();

  // Starts the private bus and the simulator when they are not running yet, then
  // "TALVENSV -debug"; false when any of them could not be started (the reason in
  // start_error()).
  bool Start();
  // As Start, but runs TALVENSV without arguments, as systemd does: NOTIFY_SOCKET (for the
  // service only) names a datagram socket in the directory whose messages Notifications()
  // collects, so the program hands itself over and stops on SIGTERM.
  bool StartAsService();
  // The sd_notify messages received so far, one datagram per entry.
  std::vector<std::string> Notifications();
  const std::string& start_error() const { return start_error_; }
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
  // Starts the bus and the simulator as needed; false with start_error_ set.
  bool StartKori();
  // Starts TALVENSV with `args` and, when `notify_socket` is not empty, NOTIFY_SOCKET.
  bool StartProgram(const std::vector<std::string>& args, const std::string& notify_socket);

  TempDir temp_{"quillon-sys-"};  // removed last, after the service has ended
  std::string dir_;
  std::unique_ptr<Store> store_;
  // The destructor's body kills the service; then the simulator ends before its bus.
  testing::PrivateSystemBus bus_;
  testing::KoriSimulator kori_;
  std::vector<std::string> kori_options_ = kSandboxKoriOptions;
  bool kori_running_ = false;
  std::string start_error_;
  pid_t pid_ = -1;
  int pidfd_ = -1;
  int inotify_ = -1;
  int notify_fd_ = -1;
  std::vector<std::string> notifications_;
};

}  // namespace quillon

#endif  // QUILLON_TESTS_COMMON_SERVICE_SANDBOX_H_
