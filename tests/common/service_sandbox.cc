#include "tests/common/service_sandbox.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/event.h"
#include "platform/pipe.h"
#include "platform/platform.h"
#include "platform/posix/native_waitable.h"

extern char** environ;

namespace quillon {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

ServiceSandbox::ServiceSandbox() {
  dir_ = temp_.path();
  std::filesystem::copy_file(TALVENSV_PATH, dir_ + "/TALVENSV");
  std::filesystem::copy_file(RDQUERY_SCRIPT_PATH, dir_ + "/RdQueryH.sh");
  setenv("QUILLON_REGISTRY", (dir_ + "/registry.db").c_str(), 1);
  setenv("QUILLON_RUNTIME_DIR", (dir_ + "/run").c_str(), 1);
  store_ = NewStore(dir_ + "/registry.db");
  inotify_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  inotify_add_watch(inotify_, dir_.c_str(), IN_MODIFY | IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO);
}

ServiceSandbox::~ServiceSandbox() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (pidfd_ >= 0) close(pidfd_);
  if (inotify_ >= 0) close(inotify_);
  if (notify_fd_ >= 0) close(notify_fd_);
  kori_.Stop();
  bus_.Stop();
  store_.reset();
  unsetenv("QUILLON_REGISTRY");
  unsetenv("QUILLON_RUNTIME_DIR");
}

void ServiceSandbox::InstallRecordingNotifier(const std::string& name) {
  std::string path = dir_ + "/" + name;
  std::ofstream out(path);
  out << "#!/bin/sh\n"
      << "{ printf '%s' '" << name << "'; for a in \"$@\"; do printf '<%s>' \"$a\"; done; "
      << "echo; } >> '" << dir_ << "/calls'\n";
  out.close();
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

std::string ServiceSandbox::Calls() { return Slurp(dir_ + "/calls"); }

bool ServiceSandbox::StartKori() {
  if (bus_.address().empty() && !bus_.Start(&start_error_)) return false;
  if (!kori_running_) {
    if (!kori_.Start(bus_, kori_options_, &start_error_)) return false;
    kori_running_ = true;
  }
  return true;
}

bool ServiceSandbox::Start() {
  start_error_.clear();
  if (!StartKori()) return false;
  return StartProgram({"-debug"}, "");
}

bool ServiceSandbox::StartAsService() {
  start_error_.clear();
  if (!StartKori()) return false;
  const std::string path = dir_ + "/notify";
  if (notify_fd_ < 0) {
    notify_fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    if (notify_fd_ < 0 || bind(notify_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
      start_error_ = std::string("cannot make the notify socket: ") + std::strerror(errno);
      return false;
    }
  }
  return StartProgram({}, path);
}

std::vector<std::string> ServiceSandbox::Notifications() {
  char buffer[4096];
  ssize_t n;
  while (notify_fd_ >= 0 && (n = recv(notify_fd_, buffer, sizeof buffer, 0)) >= 0) {
    notifications_.emplace_back(buffer, static_cast<size_t>(n));
  }
  return notifications_;
}

bool ServiceSandbox::StartProgram(const std::vector<std::string>& args,
                                  const std::string& notify_socket) {
  std::string program = dir_ + "/TALVENSV";
  std::vector<std::string> words = {program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  // The test's own environment, plus NOTIFY_SOCKET for the service alone.
  std::string notify_entry = "NOTIFY_SOCKET=" + notify_socket;
  std::vector<char*> envp;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "NOTIFY_SOCKET=", 14) != 0) envp.push_back(*e);
  }
  if (!notify_socket.empty()) envp.push_back(notify_entry.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The service's console output goes to a file of its own, not into the test's output.
  posix_spawn_file_actions_addopen(&actions, 1, (dir_ + "/console.txt").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, "/");
  int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    start_error_ = std::string("cannot start TALVENSV: ") + std::strerror(rc);
    return false;
  }
  if (pidfd_ >= 0) close(pidfd_);
  pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
  if (pidfd_ < 0) start_error_ = "pidfd_open failed";
  return pidfd_ >= 0;
}

void ServiceSandbox::Signal(int sig) {
  if (pid_ > 0) kill(pid_, sig);
}

int ServiceSandbox::WaitExit(uint32_t timeout_ms) {
  if (pid_ <= 0) return -1;
  if (WaitOne(NativeWaitable::FromFd(pidfd_), timeout_ms) != 0) return -1;
  int wstatus = 0;
  waitpid(pid_, &wstatus, 0);
  pid_ = -1;
  return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

std::string ServiceSandbox::Trace() { return Slurp(dir_ + "/ORNALOG.TXT"); }

int ServiceSandbox::TraceCount(const std::string& line) {
  // Each line is "<time stamp and ids> <message>"; the message ends the line.
  std::istringstream in(Trace());
  std::string l;
  int n = 0;
  while (std::getline(in, l)) {
    if (l.size() >= line.size() && l.compare(l.size() - line.size(), line.size(), line) == 0) {
      ++n;
    }
  }
  return n;
}

bool ServiceSandbox::WaitFor(const std::function<bool()>& done, uint32_t timeout_ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) return false;
    // Woken by any change in the directory (the trace file, the calls file).
    if (WaitOne(NativeWaitable::FromFd(inotify_), static_cast<uint32_t>(left)) == 0) {
      char buf[4096];
      while (read(inotify_, buf, sizeof buf) > 0) {
      }
    }
  }
  return true;
}

bool ServiceSandbox::WaitForTrace(const std::string& line, int count, uint32_t timeout_ms) {
  return WaitFor([&] { return TraceCount(line) >= count; }, timeout_ms);
}

std::string ServiceSandbox::Call(const std::string& name, const std::string& request,
                                 size_t* reply_size) {
  char reply[512] = {};
  size_t got = 0;
  Status s = CallPipeTimed(name, request.data(), request.size(), reply, sizeof reply, &got, 10000);
  if (reply_size != nullptr) *reply_size = got;
  return s == kOk ? std::string(reply, strnlen(reply, got)) : "fail " + std::to_string(s);
}

}  // namespace quillon
