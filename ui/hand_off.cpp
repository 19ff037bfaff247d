#include "ui/hand_off.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace vetra::ui {

WindowHandOff::WindowHandOff(QObject* receiver) : state_(std::make_shared<State>()) {
  state_->receiver = receiver;
}

HandOff WindowHandOff::function() {
  return [state = state_](const std::function<void()>& fn) {
    // Count first, then look at the flag: Shutdown sets the flag, then waits for the count, so a
    // hand-off either sees the flag or is waited for.
    state->inFlight.fetch_add(1);
    struct Leave {
      State& s;
      ~Leave() { s.inFlight.fetch_sub(1); }
    } leave{*state};
    if (state->closing.load()) return;
    QObject* receiver = state->receiver.data();
    if (receiver == nullptr) return;
    if (QThread::currentThread() == receiver->thread()) {
      fn();
      return;
    }
    QMetaObject::invokeMethod(
        receiver, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
  };
}

void WindowHandOff::Shutdown() {
  state_->closing.store(true);
  // A task blocked in a hand-off is released by letting the window thread run it.
  while (state_->inFlight.load() > 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::yieldCurrentThread();
  }
}

}  // namespace vetra::ui
