#include "ui/hand_off.h"

#include <QMetaObject>
#include <QThread>

namespace vetra::ui {

WindowHandOff::WindowHandOff(QObject* receiver) : state_(std::make_shared<State>()) {
  state_->receiver = receiver;
  state_->windowThread = receiver->thread();
}

HandOff WindowHandOff::function() {
  return [state = state_](const std::function<void()>& fn) {
    if (QThread::currentThread() == state->windowThread) {
      if (!state->closing) fn();  // the window thread is the only writer of closing
      return;
    }
    Entry entry{&fn};
    {
      std::lock_guard lock(state->mutex);
      if (state->closing) return;
      state->waiting.push_back(&entry);
    }
    // Only a wake-up: the entry travels through the queue above. A window gone meanwhile has shut
    // the hand-off down first, which ran the entry.
    if (QObject* receiver = state->receiver.data()) {
      QMetaObject::invokeMethod(
          receiver, [state] { RunWaiting(*state); }, Qt::QueuedConnection);
    }
    std::unique_lock lock(state->mutex);
    state->finished.wait(lock, [&entry] { return entry.done; });
  };
}

void WindowHandOff::RunWaiting(State& state) {
  std::unique_lock lock(state.mutex);
  while (!state.waiting.empty()) {
    Entry* entry = state.waiting.front();
    state.waiting.pop_front();
    lock.unlock();
    (*entry->fn)();
    lock.lock();
    entry->done = true;
    state.finished.notify_all();
  }
}

void WindowHandOff::Shutdown() {
  {
    std::lock_guard lock(state_->mutex);
    state_->closing = true;
  }
  // A task blocked in a hand-off is released by running its function here.
  RunWaiting(*state_);
}

bool WindowHandOff::shutDown() const {
  std::lock_guard lock(state_->mutex);
  return state_->closing;
}

}  // namespace vetra::ui
