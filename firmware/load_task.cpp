#include "firmware/load_task.h"

#include <algorithm>
#include <exception>

#include "util/thread_name.h"

namespace vetra {
namespace {

constexpr int kIdleSleepMs = 100;

// Releases the pass's hold on the port however the pass ends.
struct PassLockRelease {
  std::unique_lock<std::mutex>& lock;
  ~PassLockRelease() {
    if (lock.owns_lock()) lock.unlock();
  }
};

}  // namespace

TLoadTask::TLoadTask(const FirmwareImage& image, const MonitorImage& monitor, IClock& clock,
                     HandOff handOff, ILoadDisplay& display, Threading threading)
    : clock_(clock),
      handOff_(std::move(handOff)),
      display_(display),
      windowImage_(image),
      windowMonitor_(monitor) {
  if (threading == Threading::OwnThread) {
    thread_ = std::jthread([this](std::stop_token stop) { Execute(stop); });
  }
}

TLoadTask::~TLoadTask() {
  RequestStop();
  if (thread_.joinable()) thread_.join();
}

void TLoadTask::RequestStop() {
  stopping_ = true;
  thread_.request_stop();
}

void TLoadTask::Execute(std::stop_token stop) {
  NameThisThread("FWLoad");
  while (!stop.stop_requested()) RunPass();
}

void TLoadTask::SetPort(IPort* port) {
  std::lock_guard lock(portMutex_);
  port_ = port;
}

void TLoadTask::SetActive(bool active) {
  if (!active) {
    std::lock_guard lock(requestMutex_);
    request_.reset();
  }
  active_ = active;
}

void TLoadTask::Start(bool monitorMode, uint32_t loadAddress, int moduleBaud) {
  std::lock_guard lock(requestMutex_);
  pendingImage_ = windowImage_;
  pendingMonitor_ = windowMonitor_;
  request_ = StartRequest{monitorMode, loadAddress, moduleBaud};
}

// A Start is taken over on the task's own thread, so that the state it sets and the notification
// that shows it never race with a pass. A request made while a load still runs waits for its end.
void TLoadTask::TakeStartRequest() {
  StartRequest request{};
  {
    std::lock_guard lock(requestMutex_);
    if (!request_) return;
    if (!LoadIdle(state_)) return;
    request = *request_;
    request_.reset();
    std::swap(image_, pendingImage_);
    std::swap(monitor_, pendingMonitor_);
  }
  monitorMode_ = request.monitorMode;
  loadAddress_ = request.loadAddress;
  moduleBaud_ = request.moduleBaud;
  active_ = true;
  // From "STOP!" straight into the new load: a notification of "Standby" in between would release
  // the Write button that the new load holds down.
  if (state_ == LoadState::Stopped) state_ = LoadState::Ready;
  InitProgressBar();  // the last load's bar stays until now
  SetState(monitorMode_ ? LoadState::StartPmon : LoadState::Start, 0);
}

void TLoadTask::Notify(const std::function<void()>& fn) {
  // The window thread may want the port meanwhile (it waits in SetPort): never hold it across.
  // Once the thread is asked to end, the window may be waiting for it: hand nothing over.
  if (stopping_) return;
  const bool held = passLock_.owns_lock();
  if (held) passLock_.unlock();
  handOff_(fn);
  if (held) passLock_.lock();
}

void TLoadTask::Show(const std::function<void(ILoadDisplay&)>& fn) {
  Notify([this, &fn] { fn(display_); });
}

void TLoadTask::SetState(LoadState state, int timeoutSeconds) {
  deadline_ = timeoutSeconds == 0 ? 0 : clock_.nowSeconds() + timeoutSeconds;
  // The full bar of a load that passed stays until the next load starts.
  const bool keepBar = state == LoadState::Ready && state_ == LoadState::ProgramOk;
  state_ = state;
  timedOut_ = false;
  sleepMs_ = state == LoadState::SendData ? 0 : 1;
  if (state == LoadState::Ready) {
    const int x = image_.size() / 128;
    progressStep_ = x - x % 64 + 64;
  }
  Notify([this, state, keepBar] {
    if (state == LoadState::Ready && !keepBar) display_.InitProgress(128);
    LoadStateView view;
    view.state = state;
    view.statusText = LoadStatusText(state);
    // A stopped loader is idle too: its tabs come back, or a user who pressed Write to stop
    // would be held on this page.
    view.pagesEnabled = LoadIdle(state);
    if (state != lastShown_) {
      view.shownChanged = true;
      view.releaseWrite = !LoadInDialogue(state);
      view.pageText = LoadPageText(state);
      lastShown_ = state;
    }
    display_.StateChanged(view);
  });
}

void TLoadTask::ShowResult(std::string_view text, ResultColour colour) {
  Notify([this, text, colour] { display_.ShowResult(text, colour); });
}

void TLoadTask::InitProgressBar() {
  const int x = image_.size() / 128;
  progressStep_ = x - x % 64 + 64;
  Notify([this] { display_.InitProgress(128); });
}

void TLoadTask::Fail(std::string_view verdict) {
  ShowResult(verdict, ResultColour::Red);
  SetState(LoadState::Ready, 0);
}

void TLoadTask::Pass() {
  Notify([this] { display_.FillProgress(); });
  ShowResult(kVerdictPass, ResultColour::Green);
}

void TLoadTask::NotConfirmed() {
  ShowResult(kVerdictNotConfirmed, ResultColour::Amber);
  SetState(LoadState::Ready, 0);
}

bool TLoadTask::Write(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return true;
  const int count = static_cast<int>(bytes.size());
  int written = -1;
  if (port_ != nullptr) {
    try {
      written = port_->txData(bytes.data(), count);
    } catch (const std::exception&) {
      written = -1;
    }
  }
  return written == count;
}

bool TLoadTask::Send(std::span<const uint8_t> bytes) {
  if (Write(bytes)) return true;
  // A module must never be left half-written without a word: the load ends here.
  Fail(kVerdictSendFail);
  return false;
}

void TLoadTask::ResetLine(int baudRate) {
  if (port_ != nullptr) port_->Reset(baudRate, 8, 0, 0);
  nmea_.ResetState();
  purged_ = true;
}

int TLoadTask::ScanMonitorReply(const uint8_t* bytes, int count, MonitorReply& reply) {
  return scanner_.Scan(bytes, count, clock_.nowSeconds(), reply);
}

void TLoadTask::RunPass() {
  TakeStartRequest();
  const LoadState state = state_;
  if (state == LoadState::NeedSetup) {
    clock_.sleepMs(kIdleSleepMs);
    return;
  }
  clock_.sleepMs(sleepMs_);
  if (!active_) {
    // Re-entering "STOP!" changes nothing on the screen: only the first entry is handed over.
    if (!LoadIdle(state)) SetState(LoadState::Stopped, 0);
    if (state == LoadState::Stopped) {
      deadline_ = 0;
      timedOut_ = false;
    }
    clock_.sleepMs(kIdleSleepMs);
    return;
  }
  if (deadline_ != 0 && clock_.nowSeconds() > deadline_) {
    timedOut_ = true;
    clock_.sleepMs(kIdleSleepMs);
  }

  passLock_.lock();
  PassLockRelease release{passLock_};
  const int n = port_ != nullptr ? port_->rxData(buffer_, kReceiveBuffer) : 0;
  if (n < 0) {
    // The port failed (a receiver unplugged): a running load ends with a verdict, and the pass
    // pauses like an idle one instead of spinning on the dead port. Once every piece went out,
    // the load is only unconfirmed; a verdict already reached stands, and its hold ends on time.
    const LoadState now = state_;
    if (now == LoadState::CheckCrc || now == LoadState::CheckRevision) {
      NotConfirmed();
    } else if (LoadInDialogue(now)) {
      Fail(kVerdictReadFail);
    } else if (now == LoadState::ProgramOk && timedOut_) {
      SetState(LoadState::Ready, 0);
    }
    release.lock.unlock();
    clock_.sleepMs(kIdleSleepMs);
    return;
  }
  Feed(std::min(n, kReceiveBuffer));
}

// The bytes of one read, reply by reply, with a step after each (and one step when none came).
void TLoadTask::Feed(int count) {
  const uint8_t* p = buffer_;
  int n = count;
  do {
    int code = kNmeaNothing;
    MonitorReply reply = MonitorReply::None;
    int consumed = 0;
    if (monitorMode_) {
      if (n > 0) {
        consumed = ScanMonitorReply(p, n, reply);
      } else {
        scanner_.Expire(clock_.nowSeconds());
      }
    } else if (n > 0) {
      const NmeaFeed feed = nmea_.Feed(p, n);
      consumed = feed.consumed;
      code = feed.result;
      transfer_.Heard(code);
      const LoadState now = state_;
      if (now == LoadState::CheckCrc || now == LoadState::CheckRevision) {
        newFirmware_.Watch({p, static_cast<size_t>(std::clamp(consumed, 0, n))});
      }
    }
    if (n > 0 && consumed <= 0) consumed = n;  // never loop without progress
    consumed = std::min(consumed, n);
    p += consumed;
    n -= consumed;
    RunStep(code, reply);
    if (purged_) {
      purged_ = false;
      break;
    }
  } while (n > 0);
}

// The current state's step, by the dialogue it belongs to.
void TLoadTask::RunStep(int nmeaCode, MonitorReply reply) {
  switch (LoadStateRowOf(state_).dialogue) {
    case LoadDialogue::BootMonitor:
      bootMonitor_.Step(*this, reply);
      break;
    case LoadDialogue::FirmwareTransfer:
      if (transfer_.Step(*this, nmeaCode, loadAddress_)) {
        newFirmware_.Begin(*this, transfer_.bytesInFlight(), FirmwareTransfer::kLoadBaud,
                           moduleBaud_);
      }
      break;
    case LoadDialogue::NewFirmware:
      newFirmware_.Step(*this, nmeaCode);
      break;
    case LoadDialogue::None:
      // "Program OK!" and "STOP!" are held until their time-out; idle states wait.
      if ((state_ == LoadState::ProgramOk || state_ == LoadState::Stopped) && timedOut_) {
        SetState(LoadState::Ready, 0);
      }
      break;
  }
}

}  // namespace vetra
