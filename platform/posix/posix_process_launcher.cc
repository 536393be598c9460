#include "platform/posix/posix_process_launcher.h"

#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/posix/errno_status.h"
#include "platform/posix/native_waitable.h"

extern char** environ;

namespace quillon {
namespace {

// How long a program that is given up on may take to end after SIGTERM before its process
// group is killed.
constexpr uint32_t kStopGraceMs = 200;

// Spawns the command line's program and stores its pid. With `own_group` the program leads a
// new process group. 0 or the status of the failure (kErrorNotFound when the program or the
// working directory is missing).
Status Spawn(std::string_view command_line, std::string_view working_directory, bool own_group,
             pid_t* pid) {
  std::vector<std::string> args = SplitCommandLine(command_line);
  if (args.empty() || args[0].empty()) return kErrorNotFound;
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return kErrorNotEnoughMemory;
  // Everything above standard error is closed in the child, whether or not its owner asked
  // for close-on-exec: sockets, the store and the journal stay the service's own.
  int rc = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  std::string dir(working_directory);
  if (rc == 0 && !dir.empty()) rc = posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  // The child starts with a clean signal state: nothing blocked and every signal at its
  // default, whatever the service ignores or blocks for itself.
  posix_spawnattr_t attr;
  if (rc == 0) rc = posix_spawnattr_init(&attr);
  if (rc == 0) {
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (own_group) {
      posix_spawnattr_setpgroup(&attr, 0);
      flags |= POSIX_SPAWN_SETPGROUP;
    }
    posix_spawnattr_setflags(&attr, flags);
    rc = posix_spawnp(pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
  }
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? kOk : StatusFromErrno(rc);
}

uint32_t ExitCodeOf(int wstatus) {
  if (WIFEXITED(wstatus)) return static_cast<uint32_t>(WEXITSTATUS(wstatus));
  if (WIFSIGNALED(wstatus)) return 128u + static_cast<uint32_t>(WTERMSIG(wstatus));
  return 0;
}

Status WaitFor(pid_t pid, int* wstatus) {
  while (waitpid(pid, wstatus, 0) < 0) {
    if (errno != EINTR) return StatusFromErrno(errno);
  }
  return kOk;
}

}  // namespace

Status PosixProcessLauncher::Start(std::string_view command_line,
                                   std::string_view working_directory) {
  pid_t pid;
  Status status = Spawn(command_line, working_directory, false, &pid);
  if (status != kOk) return status;
  // The reaper waits for this one pid only; it sleeps in the kernel until the child ends, so
  // it costs no wake-ups, and it does not outlive the child.
  try {
    std::thread([pid] {
      int wstatus;
      WaitFor(pid, &wstatus);
    }).detach();
  } catch (const std::system_error&) {
    // Without a thread the child is still started; it stays a zombie until this process ends,
    // which is better than reporting a started program as not started.
  }
  return kOk;
}

Status PosixProcessLauncher::Run(std::string_view command_line, std::string_view working_directory,
                                 uint32_t* exit_code) {
  pid_t pid;
  Status status = Spawn(command_line, working_directory, false, &pid);
  if (status != kOk) return status;
  int wstatus = 0;
  status = WaitFor(pid, &wstatus);
  if (status == kOk && exit_code != nullptr) *exit_code = ExitCodeOf(wstatus);
  return status;
}

Status PosixProcessLauncher::RunUntil(std::string_view command_line,
                                      std::string_view working_directory, Waitable stop,
                                      uint32_t* exit_code) {
  if (stop == kInvalidWaitable) return Run(command_line, working_directory, exit_code);
  pid_t pid;
  Status status = Spawn(command_line, working_directory, true, &pid);
  if (status != kOk) return status;
  // The pidfd becomes readable when the program ends; the process stays a zombie until
  // waitpid below, so its id (and with it the group's) cannot be reused meanwhile.
  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  bool stopped = false;
  if (pidfd >= 0) {
    const Waitable objects[] = {stop, NativeWaitable::FromFd(pidfd)};
    stopped = WaitAny(objects, kWaitInfinite) == 0;
  } else {
    // Without a pidfd the stop cannot be watched; the program is waited for as by Run.
    stopped = WaitOne(stop, 0) == 0;
  }
  if (stopped) {
    kill(-pid, SIGTERM);
    if (pidfd >= 0) WaitOne(NativeWaitable::FromFd(pidfd), kStopGraceMs);
    // Whatever the program started is in its group and goes with it, even when the program
    // itself has already ended.
    kill(-pid, SIGKILL);
  }
  if (pidfd >= 0) close(pidfd);
  int wstatus = 0;
  status = WaitFor(pid, &wstatus);
  if (stopped) return kErrorOperationAborted;
  if (status == kOk && exit_code != nullptr) *exit_code = ExitCodeOf(wstatus);
  return status;
}

}  // namespace quillon
