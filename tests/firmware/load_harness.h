#pragma once
// The loader under test: a TLoadTask driven pass by pass with the fake clock, the scripted port
// and a display that records what the window would show; plus two small scripted receivers that
// answer the loader's writes the way a boot monitor or a running firmware does.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "firmware/firmware_image.h"
#include "firmware/load_task.h"
#include "support/fake_clock.h"
#include "support/loader_port.h"

namespace vetra {
// A state in a failed expectation: its page text.
inline void PrintTo(LoadState state, std::ostream* os) { *os << LoadPageText(state); }
}  // namespace vetra

namespace vetra::test {

class RecordingDisplay final : public ILoadDisplay {
 public:
  void StateChanged(const LoadStateView& view) override {
    std::lock_guard lock(mutex_);
    states.push_back(view.state);
    statusText = std::string(view.statusText);
    pagesEnabled = view.pagesEnabled;
    if (view.shownChanged) {
      pageText = std::string(view.pageText);
      if (view.releaseWrite) writeReleases++;
    }
    changed_.notify_all();
  }
  void InitProgress(int maximum) override {
    std::lock_guard lock(mutex_);
    progressMax = maximum;
    progress = 0;
    progressInits++;
  }
  void StepProgress() override {
    std::lock_guard lock(mutex_);
    progress++;
  }
  void FillProgress() override {
    std::lock_guard lock(mutex_);
    progress = progressMax;
  }
  void ShowResult(std::string_view text, ResultColour colour) override {
    std::lock_guard lock(mutex_);
    result = std::string(text);
    resultColour = colour;
    results.push_back(result);
    changed_.notify_all();
  }
  void ClearResult() override {
    std::lock_guard lock(mutex_);
    result.clear();
  }

  // Waits (with a deadline, never a bare sleep) until pred holds on the recorded display.
  bool WaitFor(const std::function<bool()>& pred, std::chrono::seconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, pred);
  }

  std::vector<LoadState> states;  // every notified state, in order
  std::string statusText;
  std::string pageText = "Setup!";
  bool pagesEnabled = true;
  int writeReleases = 0;
  int progressMax = 0;
  int progress = 0;
  int progressInits = 0;
  std::string result;
  ResultColour resultColour = ResultColour::Red;
  std::vector<std::string> results;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
};

// Fills the image with a known pattern and size (a multiple of 1,024; the rest stays FFh).
inline void FillImage(FirmwareImage& image, int size) {
  auto buffer = image.buffer();
  std::fill(buffer.begin(), buffer.end(), uint8_t{0xFF});
  for (int i = 0; i < size; ++i) buffer[i] = static_cast<uint8_t>(i * 7 + (i >> 10));
  image.set_size(size);
}

inline void FillMonitor(MonitorImage& monitor, int size) {
  for (int i = 0; i < size; ++i) monitor.buffer()[i] = static_cast<uint8_t>(0xA0 ^ i);
  monitor.set_size(size);
}

struct LoaderHarness {
  explicit LoaderHarness(TLoadTask::Threading threading = TLoadTask::Threading::DrivenByCaller)
      : task(
            image, monitor, clock, [](const std::function<void()>& fn) { fn(); }, display,
            threading) {
    task.SetPort(&port);
  }

  // Runs passes until pred holds; false when it did not within maxPasses.
  bool RunUntil(const std::function<bool()>& pred, int maxPasses = 200'000) {
    for (int i = 0; i < maxPasses; ++i) {
      if (pred()) return true;
      task.RunPass();
    }
    return pred();
  }
  void Passes(int count) {
    for (int i = 0; i < count; ++i) task.RunPass();
  }
  bool Reaches(LoadState state, int maxPasses = 200'000) {
    return RunUntil([&] { return task.GetState() == state; }, maxPasses);
  }

  FakeClock clock;
  LoaderPort port;
  RecordingDisplay display;
  FirmwareImage image;
  MonitorImage monitor;
  TLoadTask task;
};

// A running firmware that acknowledges the start frame, confirms the erase and asks for data
// after every 16 KiB; once it has the whole image it restarts at its own rate and reports its
// revision when the host's line follows it there. Each answer can be left out to script a
// failure.
struct FirmwareReceiver {
  enum class Revision { AfterRestart, OnlyWhenAsked, Never };
  struct Options {
    bool acknowledge = true;
    bool refuse = false;
    bool confirmErase = true;
    int requestsToSend = 1'000;  // data requests it will send at most
    Revision revision = Revision::AfterRestart;
  };
  FirmwareReceiver(LoaderPort& port, Options options) : port_(port), options_(options) {
    port.onWrite = [this](const std::vector<uint8_t>& bytes) { OnWrite(bytes); };
    port.onReset = [this](int baudRate) {
      if (restarted() && baudRate != 115'200 && options_.revision == Revision::AfterRestart) {
        port_.QueueRead(Sentence("MXTR,REV,K700FW"));
      }
    };
  }
  bool restarted() const { return expected > 0 && static_cast<int>(data.size()) >= expected; }

  void OnWrite(const std::vector<uint8_t>& bytes) {
    if (restarted()) {
      if (bytes.size() == 9 && bytes[3] == 0x05) {
        queries++;
        if (options_.revision != Revision::Never) {
          const uint8_t reply[] = {0x25, 0x25, 0xF2, 0x80, 'K',  '7',  '0',  '0',  'F',
                                   'W',  ' ',  'V',  '1',  '.',  '6',  ' ',  0x14, 0x11,
                                   0x23, 0x00, 0x12, 0x30, 0x09, 0x00, 0x7C, 0x3A};
          std::vector<uint8_t> frame(reply, reply + sizeof reply);
          uint8_t x = 0;
          for (size_t i = 2; i < frame.size(); ++i) x ^= frame[i];
          frame.insert(frame.end(), {x, 0x0D, 0x0A});
          port_.QueueRead(frame);
        }
      }
      return;
    }
    if (bytes.size() == 12 && bytes[3] == 0x72) {
      startFrames++;
      expected = (bytes[7] | bytes[8] << 8) * 1024;
      if (options_.refuse) port_.QueueRead(Sentence("MXTR,4E,72"));
      if (options_.acknowledge && !options_.refuse) port_.QueueRead(Sentence("MXTR,41,72"));
      return;
    }
    if (bytes.size() == 7 && bytes[3] == 0x73 && !erased) {
      erased = true;
      if (options_.confirmErase) port_.QueueRead(Sentence("MXTR,41,73"));
      return;
    }
    if (!erased) return;
    data.insert(data.end(), bytes.begin(), bytes.end());
    if (data.size() % 16'384 == 0 && requestsSent < options_.requestsToSend) {
      requestOffsets.push_back(static_cast<int>(data.size()));
      requestsSent++;
      port_.QueueRead(Sentence("MXTR,4D,21,DATARQST"));
    }
  }

  int startFrames = 0;
  int expected = 0;  // bytes announced by the start frame
  int queries = 0;   // Query Firmware Revision frames after the restart
  bool erased = false;
  std::vector<uint8_t> data;
  std::vector<int> requestOffsets;
  int requestsSent = 0;

 private:
  LoaderPort& port_;
  Options options_;
};

// A boot monitor: takes the monitor program, answers <MPD>, erases on "E", takes the image and
// answers <DONEhhhh> with the image's word XOR byte-swapped (or a given reply instead).
struct MonitorReceiver {
  MonitorReceiver(LoaderPort& port, int programSize, int imageSize)
      : port_(port), programSize_(programSize), imageSize_(imageSize) {
    port.onWrite = [this](const std::vector<uint8_t>& bytes) { OnWrite(bytes); };
  }

  void OnWrite(const std::vector<uint8_t>& bytes) {
    if (phase == Phase::Program) {
      program.insert(program.end(), bytes.begin(), bytes.end());
      if (static_cast<int>(program.size()) >= programSize_) {
        phase = Phase::WaitErase;
        if (answerMpd) port_.QueueRead(std::string_view("<MPD>"));
      }
      return;
    }
    if (phase == Phase::WaitErase) {
      if (bytes.size() == 1 && bytes[0] == 'E') {
        phase = Phase::Image;
        if (answerErase) port_.QueueRead(std::string_view("<ERASE>"));
      }
      return;
    }
    if (phase == Phase::Image) {
      image.insert(image.end(), bytes.begin(), bytes.end());
      if (static_cast<int>(image.size()) >= imageSize_) {
        phase = Phase::Done;
        uint16_t sum = 0;
        for (size_t k = 0; k + 1 < image.size(); k += 2) sum ^= image[k] | image[k + 1] << 8;
        if (wrongChecksum) sum ^= 0x0001;
        if (!doneReply.empty()) {
          port_.QueueRead(std::string_view(doneReply));
        } else {
          char reply[16];
          std::snprintf(reply, sizeof reply, "<DONE%04X>", (sum >> 8 | sum << 8) & 0xFFFF);
          port_.QueueRead(std::string_view(reply));
        }
      }
      return;
    }
    if (bytes.size() == 1 && bytes[0] == 'Z') booted = true;
  }

  enum class Phase { Program, WaitErase, Image, Done };
  Phase phase = Phase::Program;
  bool answerMpd = true;
  bool answerErase = true;
  std::string doneReply;  // empty: <DONEhhhh> with the checksum
  bool wrongChecksum = false;
  std::vector<uint8_t> program;
  std::vector<uint8_t> image;
  bool booted = false;

 private:
  LoaderPort& port_;
  int programSize_;
  int imageSize_;
};

}  // namespace vetra::test
