#pragma once
// Shared pieces of the desktop program's tests: one QApplication for the whole program (offscreen
// when no platform is chosen), messages that are recorded instead of shown, waiting on a
// condition with a deadline while the window's events run, and a settings file in a temp folder.

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "link/port.h"
#include "util/clock.h"
#include "util/messages.h"

namespace vetra::test {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "test_gui";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

class RecordingMessages final : public IMessages {
 public:
  void Show(const std::string& text, const std::string& title, Kind) override {
    shown.emplace_back(text, title);
  }
  // Questions are recorded and answered with `answer`.
  bool Ask(const std::string& text, const std::string& title) override {
    asked.emplace_back(text, title);
    return answer;
  }
  bool Saw(const std::string& text, const std::string& title) const {
    for (const auto& [t, ti] : shown) {
      if (t == text && ti == title) return true;
    }
    return false;
  }
  std::vector<std::pair<std::string, std::string>> shown;
  std::vector<std::pair<std::string, std::string>> asked;
  bool answer = true;
};

// A port that receives nothing and records each write with the thread that made it.
class WriteRecordingPort final : public IPort {
 public:
  struct Write {
    std::vector<uint8_t> bytes;
    std::thread::id thread;
  };
  int rxData(uint8_t*, int) override { return 0; }
  int txData(const uint8_t* bytes, int count) override {
    std::lock_guard lock(mutex_);
    writes_.push_back({{bytes, bytes + count}, std::this_thread::get_id()});
    return count;
  }
  bool Reset(int, int, int, int) override { return true; }
  int baudRate() const override { return 9600; }
  std::vector<Write> writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Write> writes_;
};

// A clock that moves only when told to; its sleeps are short real ones, so that a task's pass
// loop neither spins nor moves the time.
class ManualClock final : public IClock {
 public:
  int64_t nowSeconds() override { return ms_ / 1000; }
  int64_t nowMs() override { return ms_; }
  void sleepMs(int milliseconds) override {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void advanceMs(int64_t ms) { ms_ += ms; }

 private:
  std::atomic<int64_t> ms_{1'700'000'000'000};
};

// Runs the window's events until pred holds or the deadline passes.
template <typename Pred>
bool WaitFor(Pred pred, int timeoutMs = 10000) {
  return QTest::qWaitFor(pred, timeoutMs);
}

// A settings file with the given lines in a folder of its own.
class TempSettings {
 public:
  explicit TempSettings(const std::string& content = "") {
    path = dir.filePath("vetra-viewer.INI").toStdString();
    if (!content.empty()) std::ofstream(path) << content;
  }
  std::string folder() const { return dir.path().toStdString(); }
  QTemporaryDir dir;
  std::string path;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace vetra::test
