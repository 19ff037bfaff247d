#pragma once
// The tasks' "run this on the window thread and wait" primitive for the desktop program.
//
// A task thread puts the function into a queue under a std::mutex, wakes the window thread with a
// queued call, and waits on a condition variable until the window thread has run it. The window
// thread takes the queue's entries under the same mutex and marks each one done under it. The
// hand-over is thus made of the standard library's own synchronisation, which ThreadSanitizer
// sees (it cannot see into Qt's blocking queued connection, as Qt is not built with it): what a
// task wrote before the hand-off is seen by the function, and what the function wrote is seen by
// the task after it returns. The function may refer to the task's locals: the task waits.
//
// A blocking call needs the window thread to run its event loop. Before the window waits for a
// task's thread to end it calls Shutdown, which refuses new hand-offs and runs those already
// waiting, so the task can never block forever on a window that is waiting for it.

#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "session/receiver_conversation.h"

class QThread;

namespace vetra::ui {

class WindowHandOff {
 public:
  explicit WindowHandOff(QObject* receiver);

  // The function the tasks are given. It runs fn inline when called on the window thread itself
  // (a blocking call onto one's own thread would deadlock); after Shutdown it does nothing.
  HandOff function();

  // Window thread: no hand-off runs after this returns.
  void Shutdown();
  bool shutDown() const;

 private:
  struct Entry {
    const std::function<void()>* fn;
    bool done = false;  // under State::mutex
  };
  struct State {
    QPointer<QObject> receiver;
    QThread* windowThread = nullptr;
    std::mutex mutex;
    std::condition_variable finished;
    std::deque<Entry*> waiting;  // under mutex: entries whose tasks wait
    bool closing = false;        // under mutex
  };
  // Window thread: runs every waiting entry.
  static void RunWaiting(State& state);

  std::shared_ptr<State> state_;
};

}  // namespace vetra::ui
