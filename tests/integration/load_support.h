#pragma once
// Firmware loads over a pseudo-terminal: the real TLoadTask on its own thread, the real serial
// port, real image and monitor files, and the virtual receiver at the far end.
//
// The loader's time-outs are 4 to 20 seconds of wall clock. The clock here sleeps for real (the
// loader's pauses and the receiver's pacing are real time) but its seconds can be moved ahead:
// a test waits until the loader shows the state whose time-out it wants, then skips past it.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/receiver_port.h"
#include "firmware/chip_selection.h"
#include "firmware/firmware_image.h"
#include "firmware/load_frames.h"
#include "firmware/load_harness.h"  // RecordingDisplay
#include "firmware/load_task.h"
#include "firmware/temp_files.h"
#include "firmware/upgrade_actions.h"
#include "sim/virtual_receiver.h"

namespace vetra::test {

// Real sleeps; wall-clock seconds that a test may move ahead. A test of a fault that the
// receiver shows at once may stop the seconds, so that no time-out strikes first on a slow
// machine: then only Skip moves them.
class SkippableClock final : public IClock {
 public:
  int64_t nowSeconds() override {
    const bool stopped = stopped_.load();
    return (stopped ? stoppedSeconds_.load() : SystemClock::instance().nowSeconds()) +
           skipped_.load();
  }
  int64_t nowMs() override {
    const bool stopped = stopped_.load();
    return (stopped ? stoppedMs_.load() : SystemClock::instance().nowMs()) + skipped_.load() * 1000;
  }
  void sleepMs(int milliseconds) override {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  void Skip(int64_t seconds) { skipped_ += seconds; }
  // Called before the loader runs.
  void StopTime() {
    stoppedSeconds_ = SystemClock::instance().nowSeconds();
    stoppedMs_ = SystemClock::instance().nowMs();
    stopped_ = true;
  }

 private:
  std::atomic<int64_t> skipped_{0};
  std::atomic<bool> stopped_{false};
  std::atomic<int64_t> stoppedSeconds_{0};
  std::atomic<int64_t> stoppedMs_{0};
};

// Messages of the port layer; a load test expects none.
class KeptMessages final : public IMessages {
 public:
  void Show(const std::string& text, const std::string& title, Kind) override {
    std::lock_guard lock(mutex_);
    shown_.push_back(title + ": " + text);
  }
  std::vector<std::string> shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> shown_;
};

// What the virtual receiver wrote into its flash, handed over by its wire thread.
class FlashWatch {
 public:
  void Written(const std::vector<uint8_t>& image) {
    std::lock_guard lock(mutex_);
    image_ = image;
    ++writes_;
    changed_.notify_all();
  }
  // The image of the first load to reach flash; nullopt when none did within the limit.
  std::optional<std::vector<uint8_t>> Wait(std::chrono::seconds limit) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, limit, [&] { return writes_ > 0; })) return std::nullopt;
    return image_;
  }
  int writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<uint8_t> image_;
  int writes_ = 0;
};

// An image file's bytes: a pattern that differs from kilobyte to kilobyte and holds no FFh run.
inline std::vector<uint8_t> ImageBytes(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<uint8_t>((seed + i * 29 + (i >> 10) * 3) % 0xFF);
  }
  return bytes;
}

// What the receiver should hold after loading the file: its bytes, FFh up to a whole kilobyte.
inline std::vector<uint8_t> PaddedImage(std::vector<uint8_t> bytes) {
  const size_t padded = (bytes.size() + kImageBlock - 1) / kImageBlock * kImageBlock;
  bytes.resize(padded, 0xFF);
  return bytes;
}

struct LoadSetup {
  Chip chip = Chip::K700;
  bool bootMonitor = false;  // through the boot monitor, else the running firmware
  int firmwareBaud = 9600;   // the running firmware's own rate
  size_t imageBytes = 3'000;
  size_t monitorBytes = 2'500;
  uint32_t loadAddress = 0;  // 0: the chip's own address
};

// One receiver, one port, one loader: the Upgrade page without its widgets.
class LoadBench {
 public:
  explicit LoadBench(const LoadSetup& setup) : setup(setup) {
    sim::SimOptions options;
    options.chip = setup.chip == Chip::K900 ? sim::Chip::K900 : sim::Chip::K700;
    options.baud = setup.firmwareBaud;
    options.bootMonitor = setup.bootMonitor;
    options.onFlashWritten = [this](const std::vector<uint8_t>& image) { flash.Written(image); };
    receiver = std::make_unique<sim::VirtualReceiver>(options);
  }
  ~LoadBench() {
    if (task) {
      task->SetActive(false);
      task->SetPort(nullptr);
    }
    task.reset();  // joins the loader's thread before the port and receiver go
    port.reset();
    receiver->Stop();
  }

  // Starts the receiver, writes the files, opens the port at the rate the load begins with.
  // Returns an empty text or what went wrong.
  std::string Prepare() {
    if (!receiver->Start()) return "virtual receiver: " + receiver->error();
    fileBytes = ImageBytes(setup.imageBytes, 0x35);
    imagePath = folder.Write("image.bin", fileBytes);
    if (setup.bootMonitor) {
      const bool k900 = setup.chip == Chip::K900;
      const auto name = k900 ? "mpdK900.srec" : "mpd.srec";
      monitorBytes = ImageBytes(setup.monitorBytes, k900 ? 0x90 : 0x70);
      folder.Write(name, monitorBytes);
      if (!ReadMonitorFile(k900, folder.path(), monitor)) return "monitor file not read";
    }
    const int rate = setup.bootMonitor ? kMonitorBaud : setup.firmwareBaud;
    port = OpenReceiverPort(receiver->devicePath(), rate, false, messages);
    if (!port) return "port did not open";
    task = std::make_unique<TLoadTask>(
        image, monitor, clock, [](const std::function<void()>& fn) { fn(); }, display);
    task->SetPort(port.get());
    if (!ReadImageFile(imagePath, image, view)) return "image file not read";
    task->SetStateQuiet(LoadState::Ready);
    return {};
  }

  // The Write button.
  GoResult Write() {
    GoRequest request;
    request.imagePath = imagePath;
    request.monitorMode = setup.bootMonitor;
    request.firmwareBaud = setup.firmwareBaud;
    request.loadAddress = setup.loadAddress != 0     ? setup.loadAddress
                          : setup.chip == Chip::K900 ? kLoadAddressK900
                                                     : kLoadAddressK700;
    return GoClick(request, image, view, *task, port.get(), clock);
  }

  // Waits until the loader has shown state at least once since the record began.
  bool WaitForState(LoadState state, std::chrono::seconds limit = std::chrono::seconds(10)) {
    return display.WaitFor(
        [&] {
          return std::find(display.states.begin(), display.states.end(), state) !=
                 display.states.end();
        },
        limit);
  }
  // Waits until the loader's last state shown is "Standby".
  bool WaitForStandby(std::chrono::seconds limit = std::chrono::seconds(10)) {
    return display.WaitFor(
        [&] { return !display.states.empty() && display.states.back() == LoadState::Ready; },
        limit);
  }
  // Waits for a verdict in the result label.
  bool WaitForVerdict(std::chrono::seconds limit = std::chrono::seconds(15)) {
    return display.WaitFor([&] { return !display.result.empty(); }, limit);
  }
  // Waits for a verdict and the loader back in "Standby", ready for the next Write.
  bool WaitForVerdictAndStandby(std::chrono::seconds limit = std::chrono::seconds(30)) {
    return display.WaitFor(
        [&] {
          return !display.result.empty() && !display.states.empty() &&
                 display.states.back() == LoadState::Ready;
        },
        limit);
  }
  // The display's fields, read under its lock (a wait that is over at once) while the loader
  // may still run.
  template <typename Read>
  auto Displayed(Read read) {
    decltype(read()) value{};
    display.WaitFor(
        [&] {
          value = read();
          return true;
        },
        std::chrono::seconds(0));
    return value;
  }
  std::string Result() {
    return Displayed([&] { return display.result; });
  }
  ResultColour Colour() {
    return Displayed([&] { return display.resultColour; });
  }
  std::vector<LoadState> States() {
    return Displayed([&] { return display.states; });
  }

  // Starts a new record of states and verdict (before a second Write).
  void ForgetShown() {
    Displayed([&] {
      display.states.clear();
      display.result.clear();
      return 0;
    });
  }

  const LoadSetup setup;
  TempFolder folder;
  FlashWatch flash;
  std::unique_ptr<sim::VirtualReceiver> receiver;
  SkippableClock clock;
  KeptMessages messages;
  RecordingDisplay display;
  FirmwareImage image;
  MonitorImage monitor;
  ImageFileView view;
  std::vector<uint8_t> fileBytes;
  std::vector<uint8_t> monitorBytes;
  std::string imagePath;
  std::unique_ptr<TSerialPort> port;
  std::unique_ptr<TLoadTask> task;
};

}  // namespace vetra::test
