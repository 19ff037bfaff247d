#include "cli/interrupt_watcher.h"

namespace vetra::cli {

void InterruptWatcher::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return stopped_; });
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
