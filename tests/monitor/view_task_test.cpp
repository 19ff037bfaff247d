// The monitoring task: one pass at a time with a scripted port and a fake clock (the task's thread
// not started), then the threaded cases: switching off and replacing the port while the task
// reads, and the window thread's operations racing the task's parsing.
#include "monitor/view_task.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/frame.h"
#include "support/fake_clock.h"
#include "support/scripted_port.h"

namespace vetra {
namespace {

using namespace std::chrono_literals;

std::string Sentence(const std::string& body) {
  uint8_t sum = 0;
  for (char c : body) sum ^= static_cast<uint8_t>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

const std::string kGga =
    Sentence("GPGGA,123519.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,");

std::string Frame(uint8_t id, std::vector<uint8_t> payload) {
  uint8_t out[kMaxFrameSize];
  const size_t n = BuildFrame(kClassReply, id, payload, out);
  return std::string(reinterpret_cast<const char*>(out), n);
}

// The clock solution reply sets TBinary's updated flag; the byte at offset 8 lands in the clock
// bias, so each frame can be told apart.
std::string ClockSolution(uint8_t mark) {
  std::vector<uint8_t> payload(32, 0);
  payload[15] = 0x40;  // clock bias 2.0 ...
  payload[14] = mark;  // ... give or take the mark
  return Frame(0xD4, payload);
}

const std::string kAck = std::string("\x25\x25\x06\x09\x0F\r\n", 7);

std::string WithoutLineEnd(const std::string& s) { return s.substr(0, s.size() - 2); }

// Records what the task shows, in order. Thread-safe; waits with a deadline.
class RecordingDisplay : public IViewDisplay {
 public:
  void SetHeartbeat(const char* text) override { Add(std::string("beat ") + text); }
  void AppendNmeaLine(std::string_view line) override {
    Add("line " + std::string(line));
    if (onLine) onLine();
  }
  void ShowNavigation(const TNavRecord& record, DisplaySource source) override {
    {
      std::lock_guard lock(mutex_);
      shown_.push_back(record);
    }
    Add(source == DisplaySource::Nmea ? "nav nmea" : "nav binary");
    if (onNavigation) onNavigation();
  }
  void EnableHostButton() override { Add("host button"); }
  void PortFailed() override { Add("port failed"); }
  void onAck(uint8_t commandId) override {
    Add("ack " + std::to_string(commandId));
    if (onReply) onReply();
  }

  std::vector<std::string> events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  std::vector<TNavRecord> shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
  }
  int Count(const std::string& event) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(events_.begin(), events_.end(), event));
  }
  bool WaitFor(const std::string& event, int times, std::chrono::seconds deadline = 20s) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(
        lock, deadline, [&] { return std::count(events_.begin(), events_.end(), event) >= times; });
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
    shown_.clear();
  }

  std::function<void()> onLine, onNavigation, onReply;

 private:
  void Add(std::string event) {
    {
      std::lock_guard lock(mutex_);
      events_.push_back(std::move(event));
    }
    changed_.notify_all();
  }
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
  std::vector<TNavRecord> shown_;
};

void Inline(const std::function<void()>& fn) { fn(); }

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::path(::testing::TempDir()) / ("view_task_" + name);
}

// --- One pass at a time --------------------------------------------------------------------------

class ViewTaskPass : public ::testing::Test {
 protected:
  void Start(bool hostMode = false) {
    TViewTask::Options options;
    options.hostMode = hostMode;
    options.startThread = false;
    task = std::make_unique<TViewTask>(clock, Inline, display, stores, options);
    task->port().Set(&port);
    task->SetActive(true);
  }
  void Passes(int n) {
    for (int i = 0; i < n; ++i) task->RunPass();
  }

  test::FakeClock clock{1'000'000};
  test::ScriptedPort port;
  RecordingDisplay display;
  ReceiverStores stores;
  std::unique_ptr<TViewTask> task;  // last: goes first
};

TEST_F(ViewTaskPass, PacesItsPassesAndReadsOneLessThanItsBuffer) {
  Start();
  task->SetActive(false);
  Passes(2);  // inactive: 500 ms each, the port untouched
  EXPECT_EQ(clock.nowSeconds(), 1'000'001);
  EXPECT_TRUE(port.readSizes().empty());

  task->SetActive(true);
  Passes(10);  // active: 100 ms each, one read each
  EXPECT_EQ(clock.nowSeconds(), 1'000'002);
  EXPECT_EQ(port.readSizes(), std::vector<int>(10, TViewTask::kReceiveBufferSize - 1));

  task->port().Set(nullptr);
  Passes(5);  // no port: 200 ms each
  EXPECT_EQ(clock.nowSeconds(), 1'000'003);
  EXPECT_EQ(port.readSizes().size(), 10u);
}

TEST_F(ViewTaskPass, HeartbeatAlternatesOnPassesThatReceived) {
  Start();
  port.QueueRead("a");
  port.QueueEmptyRead();
  port.QueueRead("b");
  port.QueueRead("c");
  Passes(4);
  EXPECT_EQ(display.events(), (std::vector<std::string>{"beat X", "beat O", "beat X"}));
}

TEST_F(ViewTaskPass, EchoesEachLineThenShowsTheNavigationOnce) {
  Start();
  port.QueueRead(kGga + kGga + kAck);
  Passes(1);
  EXPECT_EQ(display.events(),
            (std::vector<std::string>{"beat X", "line " + WithoutLineEnd(kGga),
                                      "line " + WithoutLineEnd(kGga), "ack 9",
                                      "line " + WithoutLineEnd(kAck), "nav nmea"}));
  EXPECT_EQ(task->sentenceText(), WithoutLineEnd(kAck));
  ASSERT_EQ(display.shown().size(), 1u);
  EXPECT_EQ(display.shown()[0].hour, 12);
  EXPECT_EQ(display.shown()[0].updated, 0);
  EXPECT_EQ(task->DisplayCopy().hour, 12);
}

TEST_F(ViewTaskPass, BothParsersNewInOnePassShowNmeaNowAndBinaryNextPass) {
  Start();
  port.QueueRead(ClockSolution(1) + kGga);
  Passes(1);
  EXPECT_EQ(display.Count("nav nmea"), 1);
  EXPECT_EQ(display.Count("nav binary"), 0);
  Passes(1);  // nothing received, the held-back record is shown
  EXPECT_EQ(display.Count("nav binary"), 1);
  EXPECT_DOUBLE_EQ(task->DisplayCopy().clockBias, display.shown().back().clockBias);
  EXPECT_NE(display.shown().back().clockBias, 0.0);
  Passes(1);  // and only once
  EXPECT_EQ(display.shown().size(), 2u);
}

TEST_F(ViewTaskPass, HostModeAnswersALoneU) {
  Start(/*hostMode=*/true);
  port.QueueRead("U");
  Passes(1);
  EXPECT_EQ(port.written(), "U");
  EXPECT_EQ(display.events(), (std::vector<std::string>{"beat X", "host button"}));

  // A 'U' inside a longer run is parsed like any other byte.
  port.QueueRead("U" + kGga);
  Passes(1);
  EXPECT_EQ(port.written(), "U");
  EXPECT_EQ(display.Count("line U" + WithoutLineEnd(kGga)), 1);
}

TEST_F(ViewTaskPass, LoneUIsParsedOutsideHostMode) {
  Start(/*hostMode=*/false);
  port.QueueRead("U");
  Passes(1);
  EXPECT_EQ(port.written(), "");
  EXPECT_EQ(display.Count("host button"), 0);
}

TEST_F(ViewTaskPass, FailedHandshakeWriteIsIgnored) {
  Start(/*hostMode=*/true);
  port.SetWriteFails(true);
  port.QueueRead("U");
  EXPECT_NO_THROW(Passes(1));
  EXPECT_EQ(display.Count("host button"), 0);
  port.QueueRead(kGga);
  Passes(1);
  EXPECT_EQ(display.Count("nav nmea"), 1);
}

TEST_F(ViewTaskPass, RestartMonitoringResetsThePortAndDiscardsWhatWasQueued) {
  Start();
  port.QueueRead(kGga);
  Passes(1);
  ASSERT_EQ(task->DisplayCopy().fixMode, 2);

  task->RestartMonitoring();
  EXPECT_TRUE(port.resets().empty());  // done by the task, between its reads
  const TNavRecord reset = task->DisplayCopy();
  EXPECT_EQ(reset.speedKmh, -1);
  EXPECT_EQ(reset.fixMode, 0);
  EXPECT_EQ(reset.fixIndicator, 5);

  port.QueueRead(kGga);
  port.QueueRead(std::string(3000, 'x'));  // more than one read's worth
  display.Clear();
  const size_t readsBefore = port.readSizes().size();
  Passes(1);
  EXPECT_EQ(port.resets(), (std::vector<test::ScriptedPort::ResetCall>{{0, 8, 0, 0}}));
  const std::vector<int> allReads = port.readSizes();
  const std::vector<int> reads(allReads.begin() + static_cast<long>(readsBefore), allReads.end());
  // Drained with whole-buffer reads until one came back empty, then the pass's own read.
  EXPECT_EQ(reads, (std::vector<int>{2048, 2048, 2048, 2048, 2047}));
  EXPECT_TRUE(display.events().empty());  // nothing shown until a parser has news
  EXPECT_EQ(task->DisplayCopy().speedKmh, -1);

  Passes(1);
  EXPECT_EQ(port.resets().size(), 1u);  // one reset per request
  port.QueueRead(kGga);
  Passes(1);
  EXPECT_EQ(display.Count("nav nmea"), 1);
}

TEST_F(ViewTaskPass, RawLogHoldsExactlyTheReceivedBytes) {
  Start(/*hostMode=*/true);
  const auto path = TempPath("raw.bin");
  std::FILE* log = std::fopen(path.string().c_str(), "wb");
  ASSERT_NE(log, nullptr);
  ASSERT_TRUE(task->AttachLog(log));

  std::FILE* second = std::fopen(TempPath("second.bin").string().c_str(), "wb");
  EXPECT_FALSE(task->AttachLog(second));  // one capture at a time; the refused file stays ours
  std::fclose(second);

  const std::string binary("\x00\xFF%%\x0D\x0A\x00", 7);
  const std::vector<std::string> chunks = {kGga, binary, "U", "plain", ClockSolution(7)};
  std::string expected;
  for (const auto& chunk : chunks) {
    port.QueueRead(chunk);
    expected += chunk;
  }
  Passes(static_cast<int>(chunks.size()) + 1);
  task->CloseLog();
  EXPECT_FALSE(task->logAttached());
  EXPECT_EQ(ReadFile(path), expected);

  // The slot is free again.
  std::FILE* next = std::fopen(TempPath("next.bin").string().c_str(), "wb");
  EXPECT_TRUE(task->AttachLog(next));
}

TEST_F(ViewTaskPass, ReadFailureStopsReadingClosesTheLogAndTellsTheDisplayOnce) {
  Start();
  const auto path = TempPath("failure.bin");
  ASSERT_TRUE(task->AttachLog(std::fopen(path.string().c_str(), "wb")));
  port.QueueRead("first bytes " + kGga);
  port.QueueFailure();
  port.QueueRead("never read");
  Passes(4);

  EXPECT_EQ(display.Count("port failed"), 1);
  EXPECT_FALSE(task->active());
  EXPECT_FALSE(task->logAttached());
  EXPECT_EQ(ReadFile(path), "first bytes " + kGga);
  EXPECT_EQ(port.pendingDeliveries(), 1u);

  // Switched on again (a new port), it reads again.
  task->SetActive(true);
  Passes(1);
  EXPECT_EQ(port.pendingDeliveries(), 0u);
}

TEST_F(ViewTaskPass, ReadFailureWhileDrainingIsAPortFailureToo) {
  Start();
  task->RestartMonitoring();
  port.QueueRead("stale");
  port.QueueFailure();
  Passes(2);
  EXPECT_EQ(display.Count("port failed"), 1);
  EXPECT_FALSE(task->active());
}

TEST_F(ViewTaskPass, HandOffsLeaveTheRecordsAndThePortFree) {
  Start();
  // Inside a hand-off the window thread may restart monitoring, copy records and switch the task
  // off. A helper thread stands in for the window thread, as the hand-off here runs inline.
  auto fromWindow = [](const std::function<void()>& fn) { std::thread(fn).join(); };
  bool ackSeen = false, lineSeen = false, navigationSeen = false;
  display.onReply = [&] {  // called from inside TBinary's handler
    fromWindow([&] { task->CopyToDisplay(true); });
    ackSeen = true;
  };
  display.onLine = [&] {
    fromWindow([&] { task->RestartMonitoring(); });
    lineSeen = true;
  };
  display.onNavigation = [&] {
    fromWindow([&] {
      task->SetActive(false);
      task->port().Set(nullptr);
    });
    navigationSeen = true;
  };
  port.QueueRead(kAck + ClockSolution(3));
  Passes(2);
  EXPECT_TRUE(ackSeen);
  EXPECT_TRUE(lineSeen);
  EXPECT_TRUE(navigationSeen);
  EXPECT_FALSE(task->active());
}

TEST_F(ViewTaskPass, ChannelCountAndReplyClears) {
  Start();
  EXPECT_EQ(task->channelCount(), 12);
  task->ToggleChannelCount(false);
  EXPECT_EQ(task->channelCount(), 16);
  task->ToggleChannelCount(false);
  EXPECT_EQ(task->channelCount(), 12);
  task->ToggleChannelCount(true);
  task->ToggleChannelCount(true);
  EXPECT_EQ(task->channelCount(), 16);  // the second chip keeps 16

  task->binary().replies().clockOffset = 77;
  task->ShowClockOffset(false);
  EXPECT_EQ(task->binary().replies().clockOffset, 77);
  task->ShowClockOffset(true);
  EXPECT_EQ(task->binary().replies().clockOffset, 0);
  task->binary().replies().selfTest[2] = 5;
  task->ShowSelfTest(true);
  EXPECT_EQ(task->binary().replies().selfTest[2], -1);
  task->binary().replies().revision.date = 20240101;
  task->ShowRevision(true);
  EXPECT_EQ(task->binary().replies().revision.date, 0u);
}

// --- The task's own thread -----------------------------------------------------------------------

// Runs jobs one after the other, like a window thread's event loop; RunBlocking is the hand-off.
class WindowThread {
 public:
  WindowThread() : thread_([this] { Loop(); }) {}
  ~WindowThread() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void RunBlocking(const std::function<void()>& fn) {
    if (std::this_thread::get_id() == thread_.get_id()) return fn();
    std::promise<void> ran;
    Post([&] {
      fn();
      ran.set_value();
    });
    ran.get_future().wait();
  }
  void Post(std::function<void()> job) {
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back(std::move(job));
    }
    wake_.notify_all();
  }

 private:
  void Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return done_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      auto job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      lock.lock();
    }
  }
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool done_ = false;
  std::thread thread_;
};

// While the task's thread is inside rxData, the window switches it off (or takes the port away):
// that call must not return before the read has returned, and no read may follow.
class ViewTaskThread : public ::testing::TestWithParam<bool> {};

TEST_P(ViewTaskThread, SwitchingOffWaitsForTheReadInProgress) {
  const bool takePortAway = GetParam();
  test::FakeClock clock;
  test::ScriptedPort port;
  RecordingDisplay display;
  ReceiverStores stores;

  std::mutex mutex;
  std::condition_variable changed;
  bool inRead = false, readEnded = false, switchedOff = false, switchedOffBeforeReadEnded = false,
       readAfterSwitchOff = false;
  std::atomic<bool> releaseReader{false};
  std::unique_ptr<TViewTask> task;

  port.SetReadHook([&] {
    std::unique_lock lock(mutex);
    if (switchedOff) readAfterSwitchOff = true;
    if (inRead) return;
    inRead = true;
    changed.notify_all();
    // Hold the reader here until the window has started switching the task off.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!releaseReader && std::chrono::steady_clock::now() < deadline) {
      changed.wait_for(lock, 1ms);
    }
    switchedOffBeforeReadEnded = switchedOff;
    readEnded = true;
    changed.notify_all();
  });

  TViewTask::Options options;
  task = std::make_unique<TViewTask>(clock, Inline, display, stores, options);
  task->port().Set(&port);
  task->SetActive(true);
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, 20s, [&] { return inRead; }));
  }
  std::thread window([&] {
    if (takePortAway) {
      releaseReader = true;  // the port slot is taken before Set may store the new port
      task->port().Set(nullptr);
    } else {
      task->SetActive(false);  // stores the flag first, then waits
    }
    std::lock_guard lock(mutex);
    switchedOff = true;
  });
  if (!takePortAway) {
    // The flag is stored before SetActive waits; the reader may go once it sees it.
    while (task->active()) std::this_thread::yield();
    releaseReader = true;
  }
  window.join();
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, 20s, [&] { return readEnded; }));
    EXPECT_FALSE(switchedOffBeforeReadEnded);
  }

  // Let the thread run a good number of further passes: none of them reads.
  const int sleeps = clock.sleeps();
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (clock.sleeps() < sleeps + 50 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  task.reset();
  std::lock_guard lock(mutex);
  EXPECT_FALSE(readAfterSwitchOff);
}

INSTANTIATE_TEST_SUITE_P(SetActiveOrPortSet, ViewTaskThread, ::testing::Bool());

// The window thread restarts monitoring, copies records and refreshes reply displays while the
// task parses a steady stream and hands its updates over. Run under ThreadSanitizer this must be
// silent; it must also end, showing that no hand-off deadlocks against the window's operations.
TEST(ViewTaskThreads, WindowOperationsRaceTheTaskSafely) {
  test::FakeClock clock;
  test::ScriptedPort port;
  RecordingDisplay display;
  ReceiverStores stores;
  WindowThread window;
  std::unique_ptr<TViewTask> task;

  int mark = 0;
  port.SetReadHook([&] {
    if (port.pendingDeliveries() == 0) {
      // Alternately, since TNmea's news would otherwise always be shown first.
      ++mark;
      port.QueueRead((mark % 2 ? kGga : ClockSolution(static_cast<uint8_t>(mark))) + kAck);
    }
  });
  task = std::make_unique<TViewTask>(
      clock, [&](const std::function<void()>& fn) { window.RunBlocking(fn); }, display, stores,
      TViewTask::Options{});
  TViewTask* const viewTask = task.get();  // still valid while the task is being destroyed

  // As the screen does, the window reads the task's records inside the hand-offs.
  int32_t seen = 0;
  display.onNavigation = [&] { seen += viewTask->nmea().record().hour; };
  display.onReply = [&] { seen += viewTask->binary().replies().clockOffset; };
  display.onLine = [&] { seen += static_cast<int32_t>(viewTask->sentenceText().size()); };
  window.RunBlocking([&] {
    task->port().Set(&port);
    task->SetActive(true);
  });
  // One window operation after the other, while the task keeps parsing and handing over.
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  int jobs = 0;
  while ((display.Count("nav binary") < 100 || display.Count("ack 9") < 100) &&
         std::chrono::steady_clock::now() < deadline) {
    const int i = jobs++;
    window.RunBlocking([&] {
      switch (i % 5) {
        case 0:
          task->RestartMonitoring();
          break;
        case 1:
          task->CopyToDisplay(i % 2 == 0);
          break;
        case 2:
          seen += task->DisplayCopy().hour;
          break;
        case 3:
          task->ShowRevision(true);
          break;
        case 4:
          task->SetActive(false), task->SetActive(true);
          break;
      }
    });
  }
  EXPECT_GE(display.Count("nav binary"), 100);
  EXPECT_GE(display.Count("ack 9"), 100);
  window.RunBlocking([&] { task->SetActive(false); });
  task.reset();
  EXPECT_GT(seen, 0);
}

}  // namespace
}  // namespace vetra
