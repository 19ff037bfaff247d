#pragma once
// TLoadTask: the background thread that writes a firmware image into the receiver's flash, by one
// of two dialogues chosen when the load starts.
//
// Boot monitor (monitor mode), at 115,200 baud: the monitor program in 1,024-byte pieces, then
// wait for <MPD>; "E" and wait for <ERASE>; the image in 1,024-byte pieces; wait for <DONEhhhh>,
// whose hhhh byte-swapped must equal the image's word XOR; "Z" boots the new image.
//
// Running firmware: the 12-byte start frame at the receiver's rate, then 115,200 baud; wait for
// the MXTR acknowledge, send the erase frame, wait for the erase to end; then 64-byte chunks with a
// stop after every 16 KiB (not after the last byte) until the MXTR data request comes. The last
// piece is not the end: the receiver programs it, checks the image and restarts with it at its own
// rate ("check CRC"). Once the last bytes have had time to leave, the line goes back to that rate
// and the loader waits for the receiver's revision report ($MXTR,REV). After 5 s without one it
// asks once with Query Firmware Revision ("check Revision") and takes its reply (F2 80) as the
// report. "PASS!" only with a report; none within 15 s of the last piece is "NOT CONFIRMED"
// (amber): everything was sent, nothing says it took.
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
#include "firmware/firmware_image.h"
#include "firmware/load_states.h"
#include "firmware/monitor_reply_scanner.h"
#include "link/frame_receiver.h"
#include "link/port.h"
#include "util/clock.h"

namespace vetra {

// Runs fn on the window thread and returns when it has run (the same shape as the monitoring
// task's hand-off: Qt's blocking queued call in the program, inline in the terminal and tests).
using HandOff = std::function<void(const std::function<void()>& fn)>;

enum class ResultColour { Red, Green, Amber };

// One state change as the Upgrade page shows it.
struct LoadStateView {
  int state = 0;
  std::string_view statusText;  // the status bar's last panel
  bool pagesEnabled = true;     // the page tabs: only while idle (states 0, 1 and 15)
  // The rest applies only when the state differs from the last state shown.
  bool shownChanged = false;
  std::string_view pageText;  // lbState
  bool releaseWrite = false;  // the Write toggle button comes up (states below 2 and above 13)
};

// The window's side of the loader. Every call runs on the window thread, inside the hand-off.
class ILoadDisplay {
 public:
  virtual ~ILoadDisplay() = default;
  virtual void StateChanged(const LoadStateView& view) = 0;
  // Progress bar: position 0, step 1, minimum 0, the given maximum.
  virtual void InitProgress(int maximum) = 0;
  virtual void StepProgress() = 0;
  virtual void FillProgress() = 0;  // position := maximum
  virtual void ShowResult(std::string_view text, ResultColour colour) = 0;
  virtual void ClearResult() = 0;  // the result label's text only
};

class TLoadTask {
 public:
  enum class Threading { OwnThread, DrivenByCaller };
  static constexpr int kReceiveBuffer = 2048;
  static constexpr int kMonitorPiece = 1024;
  static constexpr int kChunk = 64;
  static constexpr int kRequestEvery = 16'384;  // running firmware asks for more after this
  static constexpr int kLoadBaud = 115'200;
  // After the last piece of the running-firmware path: the revision is asked for after this long
  // without a report, and the load is "NOT CONFIRMED" after this long in all.
  static constexpr int kAskRevisionAfterMs = 5'000;
  static constexpr int kConfirmWithinMs = 15'000;
  // Added to the time the bytes not yet taken by the receiver need on the line before the line
  // goes back to the receiver's rate (which purges what has not left yet).
  static constexpr int kLineSettleMs = 500;

  // image and monitor are the window's buffers; Start copies them, so the window may read new
  // files while a load runs. DrivenByCaller starts no thread: the caller runs RunPass itself.
  TLoadTask(const FirmwareImage& image, const MonitorImage& monitor, IClock& clock, HandOff handOff,
            ILoadDisplay& display, Threading threading = Threading::OwnThread);
  ~TLoadTask();  // asks the thread to end and waits for it
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
  bool active() const { return active_; }
  // Starts a load from state 0, 1 or 15 on the task's next pass: monitor mode goes to state 2,
  // the running-firmware path to 7. loadAddress is the start frame's address (K700 20000000h);
  // moduleBaud the running firmware's own rate, to which the line returns after the last piece.
  void Start(bool monitorMode, uint32_t loadAddress = 0x20000000, int moduleBaud = 4800);
  int GetState() const { return state_; }
  void SetStateQuiet(int state) { state_ = state; }  // 0 or 1; no notification, no time-out change
  // Written only by the state-change notification; read by the Write button's handler.
  int lastStateShown() const { return lastShown_; }

  // One pass of the task's loop (the thread's body; tests call it directly).
  void RunPass();

  // Task thread (public for tests): see MonitorReplyScanner.
  int ScanMonitorReply(const uint8_t* bytes, int count, MonitorReply& reply);
  int progressStep() const { return progressStep_; }
  const MonitorReplyScanner& scanner() const { return scanner_; }

 private:
  struct StartRequest {
    bool monitorMode;
    uint32_t loadAddress;
    int moduleBaud;
  };
  void Execute(std::stop_token stop);
  void TakeStartRequest();
  void SetState(int state, int timeoutSeconds);
  void Notify(const std::function<void()>& fn);  // hand-off with the port released meanwhile
  void ShowResult(std::string_view text, ResultColour colour);
  void InitProgressBar();
  bool Write(const uint8_t* bytes, int count);  // false: not every byte went out
  bool Send(const uint8_t* bytes, int count);   // false: the load has ended with "SEND FAIL!"
  void Fail(std::string_view verdict);
  void RunStep(int nmeaCode, MonitorReply reply);
  void StepMonitorProgram();
  void StepMonitorImage();
  void StepCheckCode(MonitorReply reply);
  void StepStartFrame();
  void StepSendChunk();
  void BeginConfirmation();
  void StepConfirm(int nmeaCode);
  void WatchForRevisionReply(const uint8_t* bytes, int count);
  void Pass();
  void NotConfirmed();

  IClock& clock_;
  HandOff handOff_;
  ILoadDisplay& display_;
  const FirmwareImage& windowImage_;
  const MonitorImage& windowMonitor_;

  std::atomic<bool> active_{false};
  std::atomic<bool> stopping_{false};
  std::atomic<int> state_{kLoadNeedSetup};
  std::atomic<int> lastShown_{kLoadNeedSetup};

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
  int ack_ = 0;  // 1 acknowledged, -1 refused
  bool eraseDone_ = false;
  // The port was purged during this pass: what is left of the bytes read before it is stale.
  bool purged_ = false;
  int32_t offset_ = 0;
  int32_t requestedAt_ = 0;  // the offset of the last data request: the receiver has all before it
  uint16_t imageSum_ = 0;
  // The confirmation after the last piece.
  int64_t lastPieceMs_ = 0;
  int64_t lineBackAtMs_ = 0;
  bool lineBack_ = false;
  bool revisionReported_ = false;
  TFrameReceiver revisionFrames_;

  std::jthread thread_;  // last: starts after everything above exists
};

}  // namespace vetra
