#pragma once
// The tasks' "run this on the window thread and wait" primitive for the desktop program:
// QMetaObject::invokeMethod with Qt::BlockingQueuedConnection onto the window's thread.
//
// A blocking call needs the window thread to run its event loop. Before the window waits for a
// task's thread to end it calls Shutdown, which refuses new hand-offs and lets those already
// waiting run, so the task can never block forever on a window that is waiting for it.

#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>

#include "monitor/receiver_conversation.h"

namespace vetra::ui {

class WindowHandOff {
 public:
  explicit WindowHandOff(QObject* receiver);

  // The function the tasks are given. It runs fn inline when called on the window thread itself
  // (a blocking call onto one's own thread would deadlock); after Shutdown it does nothing.
  HandOff function();

  // Window thread: no hand-off runs after this returns.
  void Shutdown();
  bool shutDown() const { return state_->closing.load(); }

 private:
  struct State {
    QPointer<QObject> receiver;
    std::atomic<bool> closing{false};
    std::atomic<int> inFlight{0};
  };
  std::shared_ptr<State> state_;
};

}  // namespace vetra::ui
