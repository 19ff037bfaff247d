#pragma once
// TLoadTask: the background thread that writes a firmware image into the receiver's flash, by one
// of two dialogues chosen when the load starts: the boot monitor's (boot_monitor_dialogue.h) or
// the running firmware's (firmware_transfer.h), which ends with the start of the new firmware
// (new_firmware_check.h). The task owns the thread, the port, the window hand-off and the state;
// each dialogue is its own step type, holds only its own data, and reaches the rest through the
// task's ILoadContext. Each pass reads what the port has, feeds it to the reply scanner of the
// dialogue under way (the boot monitor's, or TNmea for the running firmware), and runs the step of
// the current state. The states and what kind each is are in load_states.h.
//
// The task reaches the port, the clock and the window only through their seams: IPort (published
// with SetPort), IClock, and ILoadDisplay whose calls run on the window thread inside the blocking
// hand-off while the task waits. The window thread talks to the task only through SetActive,
// Start (a request the task takes over at the top of its next pass), SetStateQuiet and GetState.
//
// Beyond the receiver's own rules, a load never ends silently half-done: a write that does not
// complete ends it at once with "SEND FAIL!", a checksum that differs with "CHK SUM FAIL!", a
// failed read with "READ FAIL!" (and the pass pauses instead of spinning on the dead port; while
// the revision report is awaited it is "NOT CONFIRMED"). The one second of "Program OK!" ends
// whatever the port does. The progress bar is full with "PASS!" and stays full until the next
// load starts. A Start after "STOP!" goes straight to the new load's first state.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

#include "decode/nmea.h"
#include "firmware/boot_monitor_dialogue.h"
#include "firmware/firmware_image.h"
#include "firmware/firmware_transfer.h"
#include "firmware/load_context.h"
#include "firmware/load_display.h"
#include "firmware/load_states.h"
#include "firmware/monitor_reply_scanner.h"
#include "firmware/new_firmware_check.h"
#include "link/port.h"
#include "util/clock.h"

namespace vetra {

// Runs fn on the window thread and returns when it has run (the same shape as the monitoring
// task's hand-off: Qt's blocking queued call in the program, inline in the terminal and tests).
using HandOff = std::function<void(const std::function<void()>& fn)>;

class TLoadTask final : private ILoadContext {
 public:
  enum class Threading { OwnThread, DrivenByCaller };
  static constexpr int kReceiveBuffer = 2048;

  // image and monitor are the window's buffers; Start copies them, so the window may read new
  // files while a load runs. DrivenByCaller starts no thread: the caller runs RunPass itself.
  TLoadTask(const FirmwareImage& image, const MonitorImage& monitor, IClock& clock, HandOff handOff,
            ILoadDisplay& display, Threading threading = Threading::OwnThread);
  ~TLoadTask() override;  // asks the thread to end and waits for it
  // Asks the thread to end without waiting. From then on no call is handed to the window, so a
  // window that waits for the thread (the destructor) never waits on a hand-off it cannot run;
  // a hand-off already under way must still be served (the window keeps handling its events
  // until the thread has ended).
  void RequestStop();
  TLoadTask(const TLoadTask&) = delete;
  TLoadTask& operator=(const TLoadTask&) = delete;

  // The port to use; nullptr while none exists. Waits until no pass is using the old port.
  void SetPort(IPort* port);

  // Window thread.
  void SetActive(bool active);  // false is the stop request (also drops a Start not yet taken)
  bool active() const override { return active_; }
  // Starts a load from an idle state on the task's next pass: monitor mode goes to StartPmon,
  // the running-firmware path to Start. loadAddress is the start frame's address (K700 20000000h);
  // moduleBaud the running firmware's own rate, to which the line returns after the last piece.
  void Start(bool monitorMode, uint32_t loadAddress = 0x20000000, int moduleBaud = 4800);
  LoadState GetState() const { return state_; }
  // NeedSetup or Ready; no notification, no time-out change.
  void SetStateQuiet(LoadState state) { state_ = state; }
  // Written only by the state-change notification; read by the Write button's handler.
  LoadState lastStateShown() const { return lastShown_; }

  // One pass of the task's loop (the thread's body; tests call it directly).
  void RunPass();

  // Task thread (public for tests): see MonitorReplyScanner.
  int ScanMonitorReply(const uint8_t* bytes, int count, MonitorReply& reply);
  int progressStep() const override { return progressStep_; }
  const MonitorReplyScanner& scanner() const { return scanner_; }

 private:
  struct StartRequest {
    bool monitorMode;
    uint32_t loadAddress;
    int moduleBaud;
  };
  void Execute(std::stop_token stop);
  void TakeStartRequest();
  void Feed(int count);
  void RunStep(int nmeaCode, MonitorReply reply);

  // ILoadContext, on the task's thread.
  LoadState state() const override { return state_; }
  bool timedOut() const override { return timedOut_; }
  IClock& clock() override { return clock_; }
  void SetState(LoadState state, int timeoutSeconds) override;
  bool Write(std::span<const uint8_t> bytes) override;
  bool Send(std::span<const uint8_t> bytes) override;
  void ResetLine(int baudRate) override;
  void Show(const std::function<void(ILoadDisplay&)>& fn) override;
  void InitProgressBar() override;
  void Fail(std::string_view verdict) override;
  void Pass() override;
  void NotConfirmed() override;

  void Notify(const std::function<void()>& fn);  // hand-off with the port released meanwhile
  void ShowResult(std::string_view text, ResultColour colour);

  IClock& clock_;
  HandOff handOff_;
  ILoadDisplay& display_;
  const FirmwareImage& windowImage_;
  const MonitorImage& windowMonitor_;

  std::atomic<bool> active_{false};
  std::atomic<bool> stopping_{false};
  std::atomic<LoadState> state_{LoadState::NeedSetup};
  std::atomic<LoadState> lastShown_{LoadState::NeedSetup};

  // Start requests and the buffers they copy; guarded by requestMutex_.
  std::mutex requestMutex_;
  std::optional<StartRequest> request_;
  FirmwareImage pendingImage_;
  MonitorImage pendingMonitor_;

  // The port; portMutex_ is held by the task while a pass uses the port, except around hand-offs.
  std::mutex portMutex_;
  IPort* port_ = nullptr;
  std::unique_lock<std::mutex> passLock_{portMutex_, std::defer_lock};

  // Task thread only.
  bool monitorMode_ = false;
  uint32_t loadAddress_ = 0x20000000;
  int moduleBaud_ = 4800;
  FirmwareImage image_;
  MonitorImage monitor_;
  int64_t deadline_ = 0;
  bool timedOut_ = false;
  int sleepMs_ = 1;
  int progressStep_ = 64;
  MonitorReplyScanner scanner_;
  TNmea nmea_;
  uint8_t buffer_[kReceiveBuffer] = {};
  // The port was purged during this pass: what is left of the bytes read before it is stale.
  bool purged_ = false;
  // The dialogues, over the images above.
  BootMonitorDialogue bootMonitor_{image_, monitor_, scanner_};
  FirmwareTransfer transfer_{image_};
  NewFirmwareCheck newFirmware_;

  std::jthread thread_;  // last: starts after everything above exists
};

}  // namespace vetra
