// vetra load --port NAME|PATH [--pmon k700|k900] [--baud N] [--address HEX] IMAGE
// Loads a firmware image into the receiver with the same loader task as the Upgrade page: through
// the chip's boot monitor ("mpd.srec" / "mpdK900.srec" in the current directory, at 115,200 baud)
// with --pmon, otherwise through the running firmware, which is addressed at --baud (default 4800)
// and then loads at 115,200. Prints each state text, on a terminal a progress
// bar with the bytes, the rate and the time left, and the verdict.
// Through the running firmware the verdict waits for the restarted receiver's revision report (at
// most 15 s after the last piece): without one it is "NOT CONFIRMED".
// Ctrl-C or SIGTERM stops the load between pieces, as the Upgrade page's Write does, and prints
// the verdict ("STOP!"); a second one ends the program at once. The terminal never asks: the load
// starts as the command line says.
// When the port fails mid-image (a receiver unplugged) the verdict is followed on stderr by
// "vetra load: the receiver's port failed (unplugged?): REASON", the system's reason.
// Exit status: 0 on "PASS!"; 1 with the failure text otherwise (also for a port that does not
// open, a missing boot monitor and a stop); 2 for a bad image file ("Wrong file!") or a usage
// error; 3 for "NOT CONFIRMED".
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "app/page_rules.h"
#include "app/receiver_port.h"
#include "cli/baud_option.h"
#include "cli/command_registry.h"
#include "cli/console.h"
#include "cli/console_messages.h"
#include "cli/interrupt_watcher.h"
#include "cli/port_opening.h"
#include "firmware/chip_selection.h"
#include "firmware/load_frames.h"
#include "firmware/load_progress.h"
#include "firmware/upgrade_actions.h"
#include "session/receiver_conversation.h"
#include "util/clock.h"
#include "util/open_file.h"

namespace vetra::cli {
namespace {

constexpr int kExitNotConfirmed = 3;

struct LoadArgs {
  std::string port;
  std::string pmon;  // "", "k700" or "k900"
  int baud = 4800;
  std::string address;
  std::string image;
};

class NoPassDisplay final : public IPassDisplay {
 public:
  void ShowPass(const PassValue&) override {}
};

// The Upgrade page on a terminal: state texts as lines, the progress bar redrawn in place.
class TerminalLoadDisplay final : public ILoadDisplay {
 public:
  TerminalLoadDisplay(bool bar, int64_t imageBytes) : bar_(bar), imageBytes_(imageBytes) {}

  void StateChanged(const LoadStateView& view) override {
    std::lock_guard lock(mutex_);
    if (view.shownChanged) {
      EndBar();
      std::printf("%.*s\n", static_cast<int>(view.statusText.size()), view.statusText.data());
      std::fflush(stdout);
    }
    state_ = view.state;
    if (view.state != LoadState::NeedSetup && view.state != LoadState::Ready) started_ = true;
    changed_.notify_all();
  }
  void InitProgress(int maximum) override {
    std::lock_guard lock(mutex_);
    maximum_ = maximum;
    position_ = 0;
    firstStep_.reset();
  }
  void StepProgress() override {
    std::lock_guard lock(mutex_);
    if (!firstStep_) firstStep_ = std::chrono::steady_clock::now();
    if (position_ < maximum_) ++position_;
    DrawBar();
  }
  void FillProgress() override {
    std::lock_guard lock(mutex_);
    position_ = maximum_;
    DrawBar();
  }
  // Ctrl-C or SIGTERM (the watcher's thread).
  void Interrupt() {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    changed_.notify_all();
  }
  void ShowResult(std::string_view text, ResultColour) override {
    std::lock_guard lock(mutex_);
    verdict_ = std::string(text);
    changed_.notify_all();
  }
  void ClearResult() override {
    std::lock_guard lock(mutex_);
    verdict_.reset();
  }

  // Waits until the load has ended (a verdict, the loader back in Ready or stopped); an
  // interruption stops it first. Returns the verdict ("" when none).
  std::string WaitForEnd(TLoadTask& task) {
    std::unique_lock lock(mutex_);
    bool stopping = false;
    while (true) {
      const bool idle = state_ == LoadState::Ready || state_ == LoadState::Stopped;
      if (started_ && idle && (verdict_ || state_ == LoadState::Stopped)) break;
      if (interrupted_ && !stopping) {
        stopping = true;
        lock.unlock();
        task.SetActive(false);  // the next pass shows "STOP!", between two pieces
        lock.lock();
        continue;
      }
      changed_.wait(lock);
    }
    EndBar();
    if (state_ == LoadState::Stopped) return "STOP!";
    return verdict_.value_or("");
  }

 private:
  void DrawBar() {
    if (!bar_ || maximum_ <= 0) return;
    const auto elapsed = std::chrono::steady_clock::now() - firstStep_.value();
    const std::string line =
        LoadProgressLine({position_, maximum_, imageBytes_,
                          std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()});
    // Padded to the longest line drawn: the rate's text may get shorter.
    width_ = std::max(width_, static_cast<int>(line.size()));
    std::fprintf(stderr, "\r%-*s", width_, line.c_str());
    drawn_ = true;
  }
  void EndBar() {
    if (drawn_) std::fputc('\n', stderr);
    drawn_ = false;
  }

  const bool bar_;
  const int64_t imageBytes_;
  std::optional<std::chrono::steady_clock::time_point> firstStep_;
  std::mutex mutex_;
  std::condition_variable changed_;
  LoadState state_ = LoadState::NeedSetup;
  bool started_ = false;
  int maximum_ = 0;
  int position_ = 0;
  bool drawn_ = false;
  bool interrupted_ = false;
  int width_ = 0;
  std::optional<std::string> verdict_;
};

int Load(const LoadArgs& args) {
  const bool monitorMode = !args.pmon.empty();
  const Chip chip = args.pmon == "k900" ? Chip::K900 : Chip::K700;
  uint32_t loadAddress = chip == Chip::K900 ? kLoadAddressK900 : kLoadAddressK700;
  if (!args.address.empty()) {
    const auto parsed = ParseLoadAddress(args.address);
    if (!parsed) {
      std::fprintf(stderr, "vetra load: '%s' is no hexadecimal address\n", args.address.c_str());
      return 2;
    }
    loadAddress = *parsed;
  }
  const std::string device = DeviceOrSay("vetra load", args.port);
  if (device.empty()) return kExitNoDevice;

  FirmwareImage image;
  ImageFileView view;
  if (!ReadImageFile(args.image, image, view)) {
    const std::string problem = ImageFileProblem(args.image);
    std::fprintf(stderr, "vetra load: Wrong file! '%s': %s\n", args.image.c_str(),
                 problem.empty() ? "not read" : problem.c_str());
    return 2;
  }
  MonitorImage monitor;
  if (monitorMode) {
    const std::string start = vetra::Utf8Text(std::filesystem::current_path());
    if (!ReadMonitorFile(chip == Chip::K900, start, monitor)) {
      std::printf("%s\n", MonitorBoxCaption(chip, MonitorFileStatus::NotReady).c_str());
      std::fprintf(stderr, "vetra load: no boot monitor '%s'\n",
                   MonitorFilePath(chip == Chip::K900, start).c_str());
      return 1;
    }
    std::printf("%s\n", MonitorBoxCaption(chip, MonitorFileStatus::Ready).c_str());
  }
  std::printf("%s: %s K bytes\n", args.image.c_str(), view.loadSizeText.c_str());

  // Ctrl-C and SIGTERM from here on: the watcher is made before any other thread, which all
  // inherit the blocked signals.
  TerminalLoadDisplay display(StderrIsTerminal(), static_cast<int64_t>(image.size()));
  InterruptWatcher interrupt([&display] { display.Interrupt(); });

  ConsoleMessages messages("vetra load");
  const int openRate = monitorMode ? kMonitorBaud : args.baud;
  std::unique_ptr<IPort> opened = OpenPortOrSay(device, args.port, openRate, false, messages);
  if (!opened) return kExitNotOpened;
  // The port's owner is the receiver conversation, as in the window; it lends the port to the
  // loader for its dialogue and takes it back at the end. It does not monitor meanwhile.
  ReceiverStores stores;
  NoPassDisplay noDisplay;
  ReceiverConversation conversation(SystemClock::instance(),
                                    [](const std::function<void()>& fn) { fn(); }, noDisplay,
                                    stores, {});
  conversation.AttachPort(std::move(opened));
  IPort* port = conversation.LendPort();

  TLoadTask task(
      image, monitor, SystemClock::instance(), [](const std::function<void()>& fn) { fn(); },
      display);
  task.SetPort(port);
  task.SetStateQuiet(LoadState::Ready);

  GoRequest request;
  request.imagePath = args.image;
  request.monitorMode = monitorMode;
  request.firmwareBaud = args.baud;
  request.loadAddress = loadAddress;
  if (GoClick(request, image, view, task, port, SystemClock::instance()) != GoResult::Started) {
    const std::string problem = ImageFileProblem(args.image);  // changed since it was read
    std::fprintf(stderr, "vetra load: Wrong file! '%s': %s\n", args.image.c_str(),
                 problem.empty() ? "changed while it was read" : problem.c_str());
    return 2;
  }
  const std::string verdict = display.WaitForEnd(task);
  task.SetActive(false);
  task.SetPort(nullptr);
  const std::string portFailure = port->failureReason();
  conversation.ReturnPort();
  std::printf("%s\n", verdict.empty() ? "LOAD FAIL!" : verdict.c_str());
  // The verdict tells what the load saw; this tells why (a receiver unplugged mid-image).
  if (!portFailure.empty()) {
    std::fflush(stdout);
    std::fprintf(stderr, "vetra load: the receiver's port failed (unplugged?): %s\n",
                 portFailure.c_str());
  }
  if (verdict == kVerdictPass) return 0;
  if (verdict == kVerdictNotConfirmed) {
    std::fprintf(stderr,
                 "vetra load: every piece was sent, but the receiver did not report its revision "
                 "after restarting\n");
    return kExitNotConfirmed;
  }
  return 1;
}

const CommandRegistration kLoad{
    "load", "Write a firmware image into the receiver (boot monitor or running firmware)",
    [](CLI::App& sub) {
      auto args = std::make_shared<LoadArgs>();
      sub.add_option("--port", args->port, "Port name (COM1..COM40) or device path")->required();
      sub.add_option("--pmon", args->pmon,
                     "Load through this chip's boot monitor (mpd.srec / mpdK900.srec here)")
          ->check(CLI::IsMember({"k700", "k900"}));
      AddBaudOption(sub, args->baud, "The running firmware's line rate");
      sub.add_option("--address", args->address,
                     "Load address in hexadecimal (default 20000000, K900 21000000)");
      sub.add_option("IMAGE", args->image, "The firmware image (1 to 524,288 bytes)")->required();
      return [args] { return Load(*args); };
    }};

}  // namespace
}  // namespace vetra::cli
