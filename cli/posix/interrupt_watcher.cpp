// SIGINT and SIGTERM taken on a thread of the watcher's own (sigwait), so that a request can wake
// a waiting condition variable, which a signal handler may not.
#include "cli/interrupt_watcher.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

namespace vetra::cli {

struct InterruptWatcher::Platform {
  static constexpr int kWake = SIGUSR2;

  explicit Platform(InterruptWatcher& owner) : owner(owner) {
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, kWake);
    pthread_sigmask(SIG_BLOCK, &signals, &previous);
    thread = std::thread([this] { Run(); });
  }
  ~Platform() {
    stopping = true;
    pthread_kill(thread.native_handle(), kWake);
    thread.join();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }

  void Run() {
    int taken = 0;
    for (;;) {
      int signal = 0;
      if (sigwait(&signals, &signal) != 0) continue;
      if (signal == kWake) {
        if (stopping) return;
        continue;
      }
      if (++taken == 1) {
        owner.Requested();
        continue;
      }
      ::signal(signal, SIG_DFL);
      sigset_t one;
      sigemptyset(&one);
      sigaddset(&one, signal);
      pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
      ::raise(signal);
    }
  }

  InterruptWatcher& owner;
  sigset_t signals{};
  sigset_t previous{};
  std::atomic<bool> stopping{false};
  std::thread thread;
};

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)), platform_(std::make_unique<Platform>(*this)) {}

InterruptWatcher::~InterruptWatcher() { platform_.reset(); }

}  // namespace vetra::cli
