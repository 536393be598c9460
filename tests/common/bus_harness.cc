#include "tests/common/bus_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace quillon::testing {

namespace {
constexpr int kStartTimeoutMs = 10000;
}  // namespace

ChildProcess::~ChildProcess() { Stop(); }

bool ChildProcess::Start(const std::vector<std::string>& argv, std::string* error) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int r = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (r != 0) {
    close(fds[0]);
    pid_ = -1;
    *error = "cannot start " + argv[0] + ": " + std::strerror(r);
    return false;
  }
  out_fd_ = fds[0];
  buffer_.clear();
  return true;
}

bool ChildProcess::ReadLine(int timeout_ms, std::string* line) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    size_t nl = buffer_.find('\n');
    if (nl != std::string::npos) {
      *line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return true;
    }
    int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    deadline - std::chrono::steady_clock::now())
                                    .count());
    if (left <= 0 || out_fd_ < 0) return false;
    pollfd p{out_fd_, POLLIN, 0};
    int r = poll(&p, 1, left);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    char chunk[512];
    ssize_t n = read(out_fd_, chunk, sizeof(chunk));
    if (n <= 0) return false;
    buffer_.append(chunk, static_cast<size_t>(n));
  }
}

void ChildProcess::Stop(int grace_ms) {
  if (pid_ > 0) {
    // Wait on the process itself (a pidfd) with a bounded time-out, then make sure.
    int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    kill(pid_, SIGTERM);
    if (pidfd >= 0) {
      pollfd p{pidfd, POLLIN, 0};
      if (poll(&p, 1, grace_ms) <= 0) kill(pid_, SIGKILL);
      close(pidfd);
    } else {
      kill(pid_, SIGKILL);
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  if (out_fd_ >= 0) {
    close(out_fd_);
    out_fd_ = -1;
  }
}

PrivateSystemBus::~PrivateSystemBus() { Stop(); }

bool PrivateSystemBus::Start(std::string* error) {
  const char* daemon = "/usr/bin/dbus-daemon";
  if (access(daemon, X_OK) != 0) {
    *error = "no dbus-daemon on this machine";
    return false;
  }
  std::ifstream in("/usr/share/dbus-1/system.conf");
  if (!in) {
    *error = "no /usr/share/dbus-1/system.conf";
    return false;
  }
  temp_.emplace("quillon-bus.");
  dir_ = temp_->path();
  // The machine's system bus configuration, minus what only the real system bus does
  // (switching user, forking, pid file, syslog, its socket, the machine's own policies),
  // plus our policy file and our socket.
  std::ostringstream conf;
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("<user>") != std::string::npos || line.find("<fork/>") != std::string::npos ||
        line.find("<pidfile>") != std::string::npos ||
        line.find("<syslog/>") != std::string::npos || line.find("<listen>") != std::string::npos ||
        line.find("<includedir>") != std::string::npos ||
        line.find("<servicehelper>") != std::string::npos ||
        line.find("<standard_system_servicedirs/>") != std::string::npos) {
      continue;
    }
    size_t end = line.find("</busconfig>");
    if (end != std::string::npos) {
      conf << "  <listen>unix:path=" << dir_ << "/system_bus_socket</listen>\n";
      conf << "  <include>" << KORI_POLICY_PATH << "</include>\n";
      if (geteuid() != 0) {
        // Not root: the test user stands in for root and the operators' group.
        conf << "  <policy user=\"" << geteuid() << "\"><allow own=\"com.morvath.Kori\"/>"
             << "<allow send_destination=\"com.morvath.Kori\"/></policy>\n";
      }
    }
    conf << line << "\n";
  }
  std::string conf_path = dir_ + "/system.conf";
  std::ofstream(conf_path) << conf.str();
  if (!daemon_.Start({daemon, "--config-file=" + conf_path, "--print-address", "--nofork"},
                     error)) {
    return false;
  }
  if (!daemon_.ReadLine(kStartTimeoutMs, &address_) || address_.empty()) {
    *error = "dbus-daemon did not print its address";
    daemon_.Stop();
    return false;
  }
  const char* old = getenv("DBUS_SYSTEM_BUS_ADDRESS");
  had_address_ = old != nullptr;
  if (old) saved_address_ = old;
  setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
  return true;
}

void PrivateSystemBus::Stop() {
  if (!address_.empty()) {
    if (had_address_) {
      setenv("DBUS_SYSTEM_BUS_ADDRESS", saved_address_.c_str(), 1);
    } else {
      unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
    address_.clear();
  }
  daemon_.Stop();
  temp_.reset();
  dir_.clear();
}

bool KoriSimulator::Start(const PrivateSystemBus& bus, const std::vector<std::string>& options,
                          std::string* error) {
  static int serial = 0;
  log_path_ = bus.directory() + "/sim" + std::to_string(++serial) + ".log";
  std::vector<std::string> argv = {KORI_SIM_PATH, "--log=" + log_path_};
  argv.insert(argv.end(), options.begin(), options.end());
  if (!process_.Start(argv, error)) return false;
  std::string line;
  if (!process_.ReadLine(kStartTimeoutMs, &line) || line != "READY") {
    *error = "quillon-kori-sim did not become ready";
    process_.Stop();
    return false;
  }
  return true;
}

std::vector<std::string> KoriSimulator::CallLog() const {
  std::vector<std::string> lines;
  std::ifstream in(log_path_);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace quillon::testing
