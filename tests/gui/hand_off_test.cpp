// The window's hand-off from a task thread: the function runs on the window thread while the task
// waits, each side sees what the other wrote (plain data: ThreadSanitizer checks the edge), and
// Shutdown runs a waiting hand-off so that a task is never left blocked.
#include "ui/hand_off.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>

#include "gui_support.h"

namespace vetra::ui {
namespace {

// Processes the window thread's events until done holds or a generous deadline passes.
bool RunEventsUntil(const std::atomic<bool>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done;
}

TEST(WindowHandOff, RunsOnTheWindowThreadAndEachSideSeesTheOthersWrites) {
  test::App();
  QObject window;
  WindowHandOff handOff(&window);
  const HandOff function = handOff.function();
  int fromTask = 0, fromWindow = 0;  // plain ints: only the hand-off orders them
  QThread* ranOn = nullptr;
  std::atomic<bool> finished{false};
  std::thread task([&] {
    for (int i = 1; i <= 100; ++i) {
      fromTask = i;
      function([&] {
        ranOn = QThread::currentThread();
        fromWindow = fromTask * 2;
      });
      EXPECT_EQ(fromWindow, i * 2);
    }
    finished = true;
  });
  EXPECT_TRUE(RunEventsUntil(finished));
  task.join();
  EXPECT_EQ(ranOn, QThread::currentThread());
  EXPECT_EQ(fromWindow, 200);
}

TEST(WindowHandOff, ShutdownRunsAWaitingHandOffAndRefusesLaterOnes) {
  test::App();
  QObject window;
  WindowHandOff handOff(&window);
  const HandOff function = handOff.function();
  std::atomic<bool> waiting{false}, returned{false};
  int ran = 0;
  std::thread task([&] {
    waiting = true;
    function([&] { ++ran; });
    returned = true;
  });
  while (!waiting) std::this_thread::yield();
  // The task may not have queued yet: Shutdown either runs its entry or the task sees the refusal.
  handOff.Shutdown();
  task.join();
  EXPECT_TRUE(returned);
  EXPECT_LE(ran, 1);
  function([&] { ran = 10; });
  EXPECT_NE(ran, 10);  // after Shutdown, not even inline
  EXPECT_TRUE(handOff.shutDown());
}

}  // namespace
}  // namespace vetra::ui
