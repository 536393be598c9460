#ifndef QUILLON_PLATFORM_POSIX_SIGNALS_H_
#define QUILLON_PLATFORM_POSIX_SIGNALS_H_

#include <functional>
#include <thread>
#include <vector>

#include "platform/status.h"

namespace quillon {

// Turns signals into calls on an ordinary thread. The signal handler itself only writes the
// signal number into a pipe (async-signal-safe); a watcher thread reads the pipe and calls the
// handler, which may therefore do any work. Each signal can be watched by one watcher at a
// time. The signals stay unblocked, so processes started later inherit a normal signal mask.
class SignalWatcher {
 public:
  using Handler = std::function<void(int signal_number)>;

  SignalWatcher() = default;
  // Restores the previous signal actions and joins the watcher thread.
  ~SignalWatcher();
  SignalWatcher(const SignalWatcher&) = delete;
  SignalWatcher& operator=(const SignalWatcher&) = delete;

  // Starts watching `signals` and calls `handler` on the watcher thread for each arrival
  // (arrivals of the same signal that come while an earlier one is still queued may merge).
  // 0 on success; kErrorInvalidParameter when already started or a signal is watched by
  // another watcher; another status when the pipe, the thread or the action cannot be set up
  // (nothing is then left installed).
  Status Start(const std::vector<int>& signals, Handler handler);

  // Stops watching (restores the previous actions) and joins the thread. Safe to call twice;
  // must not be called from the handler.
  void Stop();

 private:
  void Loop();

  std::vector<int> signals_;
  Handler handler_;
  int read_fd_ = -1;
  int write_fd_ = -1;
  std::thread thread_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_SIGNALS_H_
