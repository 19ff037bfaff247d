#pragma once
// Wall-clock seconds and sleeps for the state machines. The system clock serves the program;
// tests inject a fake one and advance it by hand, so whole-second time-outs need no waiting.

#include <cstdint>

namespace vetra {

class IClock {
 public:
  virtual ~IClock() = default;
  virtual int64_t nowSeconds() = 0;  // wall clock, whole seconds since the epoch
  virtual void sleepMs(int milliseconds) = 0;
};

class SystemClock final : public IClock {
 public:
  int64_t nowSeconds() override;
  void sleepMs(int milliseconds) override;
  static SystemClock& instance();
};

}  // namespace vetra
