#include "platform/posix/signals.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace quillon {
namespace {

// Collects the signals a watcher delivers and lets the test wait for them.
class Received {
 public:
  void Add(int signal_number) {
    std::lock_guard<std::mutex> lock(mu_);
    signals_.push_back(signal_number);
    threads_.push_back(std::this_thread::get_id());
    cv_.notify_all();
  }
  bool WaitForCount(size_t n) {
    std::unique_lock<std::mutex> lock(mu_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return signals_.size() >= n; });
  }
  std::vector<int> signals() {
    std::lock_guard<std::mutex> lock(mu_);
    return signals_;
  }
  std::vector<std::thread::id> threads() {
    std::lock_guard<std::mutex> lock(mu_);
    return threads_;
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  std::vector<int> signals_;
  std::vector<std::thread::id> threads_;
};

TEST(SignalWatcherTest, DeliversSignalsOnItsOwnThread) {
  Received received;
  SignalWatcher watcher;
  ASSERT_EQ(watcher.Start({SIGUSR1, SIGUSR2}, [&](int s) { received.Add(s); }), kOk);
  ASSERT_EQ(kill(getpid(), SIGUSR1), 0);
  ASSERT_TRUE(received.WaitForCount(1));
  ASSERT_EQ(kill(getpid(), SIGUSR2), 0);
  ASSERT_TRUE(received.WaitForCount(2));
  EXPECT_EQ(received.signals(), (std::vector<int>{SIGUSR1, SIGUSR2}));
  EXPECT_NE(received.threads()[0], std::this_thread::get_id());
}

TEST(SignalWatcherTest, ASignalIsWatchedOnceAndStopRestoresTheOldAction) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction old {};
  ASSERT_EQ(sigaction(SIGUSR1, &ignore, &old), 0);
  {
    SignalWatcher first;
    SignalWatcher second;
    ASSERT_EQ(first.Start({SIGUSR1}, [](int) {}), kOk);
    EXPECT_EQ(second.Start({SIGUSR2, SIGUSR1}, [](int) {}), kErrorInvalidParameter);
    EXPECT_EQ(first.Start({SIGUSR2}, [](int) {}), kErrorInvalidParameter);
    // The failed start left SIGUSR2 free.
    EXPECT_EQ(second.Start({SIGUSR2}, [](int) {}), kOk);
    first.Stop();
    first.Stop();  // harmless
  }
  struct sigaction now {};
  ASSERT_EQ(sigaction(SIGUSR1, nullptr, &now), 0);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  sigaction(SIGUSR1, &old, nullptr);
}

TEST(SignalWatcherTest, ManySignalsNeverBlockTheSender) {
  // More arrivals than the pipe holds while the handler is busy: the sender never blocks and
  // at least one delivery comes through.
  Received received;
  std::mutex gate;
  gate.lock();
  SignalWatcher watcher;
  ASSERT_EQ(watcher.Start({SIGUSR1},
                          [&](int s) {
                            std::lock_guard<std::mutex> lock(gate);
                            received.Add(s);
                          }),
            kOk);
  for (int i = 0; i < 70000; ++i) kill(getpid(), SIGUSR1);
  gate.unlock();
  EXPECT_TRUE(received.WaitForCount(1));
}

}  // namespace
}  // namespace quillon
