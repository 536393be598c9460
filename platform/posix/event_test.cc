#include "platform/event.h"

#include <gtest/gtest.h>

#include <thread>

namespace quillon {
namespace {

TEST(EventTest, StaysSetUntilReset) {
  Event e;
  ASSERT_TRUE(e.valid());
  EXPECT_FALSE(e.IsSet());
  EXPECT_EQ(WaitOne(e.waitable(), 0), kWaitTimeout);
  ASSERT_EQ(e.Set(), kOk);
  ASSERT_EQ(e.Set(), kOk);
  // Manual reset: waiting does not consume the signal.
  EXPECT_EQ(WaitOne(e.waitable(), 0), 0);
  EXPECT_EQ(WaitOne(e.waitable(), kWaitInfinite), 0);
  EXPECT_TRUE(e.IsSet());
  ASSERT_EQ(e.Reset(), kOk);
  EXPECT_FALSE(e.IsSet());
  EXPECT_EQ(e.Reset(), kOk);  // resetting a clear event is harmless
}

TEST(EventTest, WaitAnyReportsLowestSignalledIndex) {
  Event a, b, c;
  Waitable objects[] = {a.waitable(), b.waitable(), c.waitable()};
  EXPECT_EQ(WaitAny(objects, 10), kWaitTimeout);
  c.Set();
  EXPECT_EQ(WaitAny(objects, 0), 2);
  b.Set();
  EXPECT_EQ(WaitAny(objects, kWaitInfinite), 1);
}

TEST(EventTest, WaitWakesWhenAnotherThreadSets) {
  Event stop, go;
  std::thread t([&] {
    EXPECT_EQ(WaitOne(go.waitable(), 10000), 0);
    stop.Set();
  });
  go.Set();
  EXPECT_EQ(WaitOne(stop.waitable(), 10000), 0);
  t.join();
}

TEST(EventTest, InvalidObjectFailsTheWait) {
  Event e;
  Waitable objects[] = {e.waitable(), kInvalidWaitable};
  EXPECT_EQ(WaitAny(objects, 0), kWaitFailed);
}

}  // namespace
}  // namespace quillon
