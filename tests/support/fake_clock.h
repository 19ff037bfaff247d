#pragma once
#include <atomic>

#include "util/clock.h"

namespace vetra::test {

// A clock that moves only when told to; sleeps advance it instead of waiting.
class FakeClock final : public IClock {
 public:
  explicit FakeClock(int64_t start = 1'700'000'000) : ms_(start * 1000) {}
  int64_t nowSeconds() override { return ms_.load() / 1000; }
  int64_t nowMs() override { return ms_.load(); }
  void sleepMs(int milliseconds) override {
    if (milliseconds > 0) ms_ += milliseconds;
    sleeps_++;
  }
  void advanceSeconds(int64_t s) { ms_ += s * 1000; }
  void advanceMs(int64_t ms) { ms_ += ms; }
  int sleeps() const { return sleeps_.load(); }

 private:
  std::atomic<int64_t> ms_;
  std::atomic<int> sleeps_{0};
};

}  // namespace vetra::test
