#include "platform/fakes/fake_clock.h"

#include "platform/date_time.h"

namespace quillon {

LocalDateTime FakeClock::Now() {
  std::lock_guard<std::mutex> lock(mu_);
  return now_;
}

void FakeClock::Sleep(uint32_t milliseconds) {
  std::lock_guard<std::mutex> lock(mu_);
  sleeps_.push_back(milliseconds);
  now_ = FromDayCount(ToDayCount(now_) + milliseconds / 86400000.0);
}

bool FakeClock::Pause(uint32_t milliseconds, Waitable stop) {
  std::function<void(uint32_t, int)> on_pause;
  int number;
  {
    std::lock_guard<std::mutex> lock(mu_);
    on_pause = on_pause_;
    number = pauses_++;
  }
  if (on_pause) on_pause(milliseconds, number);
  if (stop != kInvalidWaitable && WaitOne(stop, 0) == 0) {
    std::lock_guard<std::mutex> lock(mu_);
    sleeps_.push_back(milliseconds);
    return false;
  }
  Sleep(milliseconds);
  return true;
}

void FakeClock::set_on_pause(std::function<void(uint32_t milliseconds, int number)> on_pause) {
  std::lock_guard<std::mutex> lock(mu_);
  on_pause_ = std::move(on_pause);
}

void FakeClock::Set(const LocalDateTime& now) {
  std::lock_guard<std::mutex> lock(mu_);
  now_ = now;
}

void FakeClock::AdvanceHours(double hours) {
  std::lock_guard<std::mutex> lock(mu_);
  now_ = FromDayCount(ToDayCount(now_) + hours / 24.0);
}

void FakeClock::AdvanceMilliseconds(int64_t ms) {
  std::lock_guard<std::mutex> lock(mu_);
  now_ = FromDayCount(ToDayCount(now_) + static_cast<double>(ms) / 86400000.0);
}

std::vector<uint32_t> FakeClock::sleeps() {
  std::lock_guard<std::mutex> lock(mu_);
  return sleeps_;
}

}  // namespace quillon
