#ifndef QUILLON_PLATFORM_FAKES_FAKE_CLOCK_H_
#define QUILLON_PLATFORM_FAKES_FAKE_CLOCK_H_

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace quillon {

// A Clock whose time the test sets. Sleep and Pause do not block: they record the pause and
// advance the time by it (Pause only when its stop event is not signalled). Thread-safe.
class FakeClock : public Clock {
 public:
  FakeClock() = default;
  explicit FakeClock(const LocalDateTime& now) : now_(now) {}

  LocalDateTime Now() override;
  void Sleep(uint32_t milliseconds) override;
  // Calls the on-pause function first (which may signal `stop`, as a stop request arriving
  // during the pause would), then returns false without advancing when `stop` is signalled.
  bool Pause(uint32_t milliseconds, Waitable stop) override;

  // Called at the start of every Pause with the pause's length and its number (0, 1, ...),
  // on the pausing thread, without the clock's lock held.
  void set_on_pause(std::function<void(uint32_t milliseconds, int number)> on_pause);

  void Set(const LocalDateTime& now);
  void AdvanceHours(double hours);
  void AdvanceMilliseconds(int64_t ms);
  // Every pause asked for so far, in order.
  std::vector<uint32_t> sleeps();

 private:
  std::mutex mu_;
  LocalDateTime now_{2026, 1, 1, 0, 0, 0, 0};
  std::vector<uint32_t> sleeps_;
  std::function<void(uint32_t, int)> on_pause_;
  int pauses_ = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_FAKES_FAKE_CLOCK_H_
