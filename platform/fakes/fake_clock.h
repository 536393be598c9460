#ifndef QUILLON_PLATFORM_FAKES_FAKE_CLOCK_H_
#define QUILLON_PLATFORM_FAKES_FAKE_CLOCK_H_

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace quillon {

// A Clock whose time the test sets. Sleep does not block: it advances the time by the pause
// and records it. Thread-safe.
class FakeClock : public Clock {
 public:
  FakeClock() = default;
  explicit FakeClock(const LocalDateTime& now) : now_(now) {}

  LocalDateTime Now() override;
  void Sleep(uint32_t milliseconds) override;

  void Set(const LocalDateTime& now);
  void AdvanceHours(double hours);
  void AdvanceMilliseconds(int64_t ms);
  // Every pause asked for so far, in order.
  std::vector<uint32_t> sleeps();

 private:
  std::mutex mu_;
  LocalDateTime now_{2026, 1, 1, 0, 0, 0, 0};
  std::vector<uint32_t> sleeps_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_FAKES_FAKE_CLOCK_H_
