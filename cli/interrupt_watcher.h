#pragma once
// Ctrl-C and termination requests for the terminal tool, taken in one place: on POSIX systems
// SIGINT and SIGTERM, received by sigwait on a thread of the watcher's own; on Windows the
// console's control events (Ctrl-C, Ctrl-Break, the console window closed), received by the
// handler that SetConsoleCtrlHandler runs on a thread of the system's.
//
// The first request calls onInterrupt on that thread (never inside a signal handler, so it may
// lock a mutex and wake a condition variable) and ends Wait. A second request ends the program at
// once, as the request would have without a watcher: the user does not want to wait for the
// wind-down. Captures are written chunk by chunk, so nothing received is lost by that.
//
// POSIX: make the watcher before any other thread exists. The signals are blocked in the thread
// that makes it, and every thread created later inherits that; otherwise a signal may land in
// another thread and end the program at once. One watcher at a time.
//
// The platform layer: cli/posix/interrupt_watcher.cpp, cli/win/interrupt_watcher.cpp.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace vetra::cli {

class InterruptWatcher {
 public:
  explicit InterruptWatcher(std::function<void()> onInterrupt = {});
  ~InterruptWatcher();  // gives the requests back to the system
  InterruptWatcher(const InterruptWatcher&) = delete;
  InterruptWatcher& operator=(const InterruptWatcher&) = delete;

  // Returns once a request came or Stop was called.
  void Wait();
  // The same, or after milliseconds at most; true when a request came or Stop was called.
  bool WaitFor(int milliseconds);
  // Ends Wait as a request would, without calling onInterrupt (the port failed).
  void Stop();
  bool stopped() const;

 private:
  struct Platform;
  void Requested();  // the platform layer, for the first request

  std::function<void()> onInterrupt_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool stopped_ = false;
  std::unique_ptr<Platform> platform_;  // last: its thread may call Requested until it goes
};

}  // namespace vetra::cli
