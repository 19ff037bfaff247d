// The console's control events, taken by a handler that the system runs on a thread of its own.
// Closing the console window (CTRL_CLOSE_EVENT) ends the process as soon as the handler returns:
// the handler asks for the wind-down as Ctrl-C does and then does not return, so that the program
// closes its port and files and ends by itself (the system still ends it after its own grace
// time, about five seconds).
#include "cli/interrupt_watcher.h"

#include <windows.h>

#include <atomic>

namespace vetra::cli {

struct InterruptWatcher::Platform {
  explicit Platform(InterruptWatcher& owner) : owner(owner) {
    current = this;
    ::SetConsoleCtrlHandler(&Platform::Handle, TRUE);
  }
  ~Platform() {
    ::SetConsoleCtrlHandler(&Platform::Handle, FALSE);
    current = nullptr;
  }

  static BOOL WINAPI Handle(DWORD event) {
    Platform* self = current.load();
    if (self == nullptr) return FALSE;
    switch (event) {
      case CTRL_C_EVENT:
      case CTRL_BREAK_EVENT:
      case CTRL_CLOSE_EVENT:
        break;
      default:
        return FALSE;  // logoff and shutdown: the system's own handling
    }
    const bool first = self->taken.fetch_add(1) == 0;
    if (first) self->owner.Requested();
    if (event == CTRL_CLOSE_EVENT) {
      // The process ends when main returns; this thread waits for that (self may be gone by then).
      ::Sleep(INFINITE);
    }
    // A second Ctrl-C: FALSE hands it to the default handler, which ends the process.
    return first ? TRUE : FALSE;
  }

  static inline std::atomic<Platform*> current{nullptr};  // the handler has no context argument
  InterruptWatcher& owner;
  std::atomic<int> taken{0};
};

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)), platform_(std::make_unique<Platform>(*this)) {}

InterruptWatcher::~InterruptWatcher() { platform_.reset(); }

}  // namespace vetra::cli
