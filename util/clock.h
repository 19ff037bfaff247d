#pragma once
// Wall-clock seconds, a millisecond count for deadlines, and sleeps for the state machines. The
// system clock serves the program; tests inject a fake one and advance it by hand, so time-outs
// need no waiting.

#include <cstdint>

namespace vetra {

class IClock {
 public:
  virtual ~IClock() = default;
  virtual int64_t nowSeconds() = 0;  // wall clock, whole seconds since the epoch
  // Milliseconds from an arbitrary start, for deadlines finer than a second: steady where the
  // clock can be (the system clock's does not jump with the wall clock). Only differences count.
  virtual int64_t nowMs() { return nowSeconds() * 1000; }
  virtual void sleepMs(int milliseconds) = 0;
};

class SystemClock final : public IClock {
 public:
  int64_t nowSeconds() override;
  int64_t nowMs() override;
  void sleepMs(int milliseconds) override;
  static SystemClock& instance();
};

}  // namespace vetra
