#include "platform/posix/system_clock.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/event.h"
#include "platform/fakes/fake_clock.h"

namespace quillon {
namespace {

TEST(SystemClockTest, PauseEndsOnItsStopEvent) {
  SystemClock clock;
  Event stop;
  EXPECT_TRUE(clock.Pause(1, stop.waitable()));
  EXPECT_TRUE(clock.Pause(1, kInvalidWaitable));
  // A stop that comes while the pause runs ends it; one that is already there, at once.
  std::thread stopper([&] { stop.Set(); });
  EXPECT_FALSE(clock.Pause(kWaitInfinite - 1, stop.waitable()));
  stopper.join();
  EXPECT_FALSE(clock.Pause(kWaitInfinite - 1, stop.waitable()));
}

TEST(FakeClockTest, PauseAdvancesOnlyWhenNotStopped) {
  FakeClock clock({2026, 5, 17, 9, 30, 0, 0});
  Event stop;
  std::vector<int> numbers;
  clock.set_on_pause([&](uint32_t ms, int number) {
    numbers.push_back(number);
    if (ms == 2000) stop.Set();
  });
  EXPECT_TRUE(clock.Pause(60000, stop.waitable()));
  const LocalDateTime after_first = clock.Now();
  EXPECT_NE(after_first.minute, 30);
  EXPECT_FALSE(clock.Pause(2000, stop.waitable()));
  EXPECT_EQ(clock.Now().minute, after_first.minute);
  EXPECT_EQ(clock.Now().second, after_first.second);
  EXPECT_EQ(clock.sleeps(), (std::vector<uint32_t>{60000, 2000}));
  EXPECT_EQ(numbers, (std::vector<int>{0, 1}));
}

}  // namespace
}  // namespace quillon
