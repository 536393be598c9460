#ifndef QUILLON_TESTS_COMMON_BUS_HARNESS_H_
#define QUILLON_TESTS_COMMON_BUS_HARNESS_H_

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/common/temp_dir.h"

namespace quillon::testing {

// A child process whose standard output the test reads line by line.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts argv[0] with the arguments, the current environment and stdout on a pipe.
  bool Start(const std::vector<std::string>& argv, std::string* error);
  // Reads one line of the child's output, waiting at most `timeout_ms`. false on time-out or
  // end of output.
  bool ReadLine(int timeout_ms, std::string* line);
  // Sends SIGTERM and waits for the end (SIGKILL after `grace_ms`). Harmless when not running.
  void Stop(int grace_ms = 5000);
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_fd_ = -1;
  std::string buffer_;
};

// A private dbus-daemon with the system bus configuration of this machine, our policy for
// com.morvath.Kori added, listening on a socket in a temporary directory. While it runs,
// DBUS_SYSTEM_BUS_ADDRESS points at it.
class PrivateSystemBus {
 public:
  PrivateSystemBus() = default;
  ~PrivateSystemBus();
  // Writes the configuration and starts the daemon. false with a reason when the machine has
  // no dbus-daemon or it does not come up in time.
  bool Start(std::string* error);
  void Stop();
  const std::string& address() const { return address_; }
  const std::string& directory() const { return dir_; }

 private:
  std::optional<TempDir> temp_;
  std::string dir_;
  std::string address_;
  std::string saved_address_;
  bool had_address_ = false;
  ChildProcess daemon_;
};

// quillon-kori-sim on the private bus, started with the given options (plus --log into the
// bus directory) and waited for until it owns its name.
class KoriSimulator {
 public:
  KoriSimulator() = default;
  ~KoriSimulator() { Stop(); }
  bool Start(const PrivateSystemBus& bus, const std::vector<std::string>& options,
             std::string* error);
  void Stop() { process_.Stop(); }
  // The calls the simulator received so far, one line each.
  std::vector<std::string> CallLog() const;

 private:
  ChildProcess process_;
  std::string log_path_;
};

}  // namespace quillon::testing

#endif  // QUILLON_TESTS_COMMON_BUS_HARNESS_H_
