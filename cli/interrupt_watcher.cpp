#include "cli/interrupt_watcher.h"

#include <chrono>

namespace vetra::cli {

void InterruptWatcher::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return stopped_; });
}

bool InterruptWatcher::WaitFor(int milliseconds) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                           [this] { return stopped_; });
}

void InterruptWatcher::Stop() {
  std::lock_guard lock(mutex_);
  stopped_ = true;
  changed_.notify_all();
}

bool InterruptWatcher::stopped() const {
  std::lock_guard lock(mutex_);
  return stopped_;
}

void InterruptWatcher::Requested() {
  if (onInterrupt_) onInterrupt_();
  Stop();
}

}  // namespace vetra::cli
