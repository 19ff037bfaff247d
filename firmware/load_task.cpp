#include "firmware/load_task.h"

#include <algorithm>
#include <exception>

#include "firmware/load_frames.h"
#include "link/frame.h"
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
    const int state = state_;
    if (state > kLoadReady && state != kLoadStopped) return;
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
  if (state_ == kLoadStopped) state_ = kLoadReady;
  InitProgressBar();  // the last load's bar stays until now
  SetState(monitorMode_ ? kLoadStartPmon : kLoadStart, 0);
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

void TLoadTask::SetState(int state, int timeoutSeconds) {
  deadline_ = timeoutSeconds == 0 ? 0 : clock_.nowSeconds() + timeoutSeconds;
  // The full bar of a load that passed stays until the next load starts.
  const bool keepBar = state == kLoadReady && state_ == kLoadProgramOk;
  state_ = state;
  timedOut_ = false;
  sleepMs_ = state == kLoadSendData ? 0 : 1;
  if (state == kLoadReady) {
    const int x = image_.size() / 128;
    progressStep_ = x - x % 64 + 64;
  }
  Notify([this, state, keepBar] {
    if (state == kLoadReady && !keepBar) display_.InitProgress(128);
    LoadStateView view;
    view.state = state;
    view.statusText = LoadStatusText(state);
    // A stopped loader is idle too: its tabs come back, or a user who pressed Write to stop
    // would be held on this page.
    view.pagesEnabled = state == kLoadNeedSetup || state == kLoadReady || state == kLoadStopped;
    if (state != lastShown_) {
      view.shownChanged = true;
      view.releaseWrite = state < kLoadStartPmon || state > kLoadCheckRevision;
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
  SetState(kLoadReady, 0);
}

void TLoadTask::Pass() {
  Notify([this] { display_.FillProgress(); });
  ShowResult(kVerdictPass, ResultColour::Green);
}

void TLoadTask::NotConfirmed() {
  ShowResult(kVerdictNotConfirmed, ResultColour::Amber);
  SetState(kLoadReady, 0);
}

bool TLoadTask::Write(const uint8_t* bytes, int count) {
  if (count <= 0) return true;
  int written = -1;
  if (port_ != nullptr) {
    try {
      written = port_->txData(bytes, count);
    } catch (const std::exception&) {
      written = -1;
    }
  }
  return written == count;
}

bool TLoadTask::Send(const uint8_t* bytes, int count) {
  if (Write(bytes, count)) return true;
  // A module must never be left half-written without a word: the load ends here.
  Fail(kVerdictSendFail);
  return false;
}

int TLoadTask::ScanMonitorReply(const uint8_t* bytes, int count, MonitorReply& reply) {
  return scanner_.Scan(bytes, count, clock_.nowSeconds(), reply);
}

void TLoadTask::RunPass() {
  TakeStartRequest();
  const int state = state_;
  if (state <= kLoadNeedSetup) {
    clock_.sleepMs(kIdleSleepMs);
    return;
  }
  clock_.sleepMs(sleepMs_);
  if (!active_) {
    // Re-entering "STOP!" changes nothing on the screen: only the first entry is handed over.
    if (state > kLoadReady && state != kLoadStopped) SetState(kLoadStopped, 0);
    if (state == kLoadStopped) {
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
  int n = port_ != nullptr ? port_->rxData(buffer_, kReceiveBuffer) : 0;
  if (n < 0) {
    // The port failed (a receiver unplugged): a running load ends with a verdict, and the pass
    // pauses like an idle one instead of spinning on the dead port. Once every piece went out,
    // the load is only unconfirmed; a verdict already reached stands, and its hold ends on time.
    const int now = state_;
    if (now == kLoadCheckCrc || now == kLoadCheckRevision) {
      NotConfirmed();
    } else if (now > kLoadReady && now < kLoadProgramOk) {
      Fail(kVerdictReadFail);
    } else if (now == kLoadProgramOk && timedOut_) {
      SetState(kLoadReady, 0);
    }
    release.lock.unlock();
    clock_.sleepMs(kIdleSleepMs);
    return;
  }
  n = std::min(n, kReceiveBuffer);
  const uint8_t* p = buffer_;
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
      if (code == kNmeaStartAck) ack_ = 1;
      if (code == kNmeaStartRefused) ack_ = -1;
      if (code == kNmeaEraseDone) eraseDone_ = true;
      const int now = state_;
      if (now == kLoadCheckCrc || now == kLoadCheckRevision) {
        WatchForRevisionReply(p, std::clamp(consumed, 0, n));
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

void TLoadTask::RunStep(int nmeaCode, MonitorReply reply) {
  static constexpr uint8_t kEraseCommand = 'E';
  switch (state_) {
    case kLoadStartPmon:
      StepMonitorProgram();
      break;
    case kLoadCheckPmon:
      if (reply == MonitorReply::Mpd) {
        if (!Send(&kEraseCommand, 1)) return;
        SetState(kLoadPmonErase, 10);
      } else if (timedOut_) {
        Fail(kVerdictPmonFail);
      }
      break;
    case kLoadPmonErase:
      if (reply == MonitorReply::Erase) {
        SetState(kLoadPmonSend, 0);
      } else if (timedOut_) {
        Fail(kVerdictEraseFail);
      }
      break;
    case kLoadPmonSend:
      StepMonitorImage();
      break;
    case kLoadCheckCode:
      StepCheckCode(reply);
      break;
    case kLoadStart:
      StepStartFrame();
      break;
    case kLoadWaitAck:
      if (ack_ == 1) {
        if (!Send(kEraseFrame.data(), static_cast<int>(kEraseFrame.size()))) return;
        SetState(kLoadErase, 20);
      } else if (ack_ == -1 || timedOut_) {
        Fail(kVerdictLoadFail);
      }
      break;
    case kLoadErase:
      if (eraseDone_) {
        SetState(kLoadSendData, 0);
        offset_ = 0;
        requestedAt_ = 0;
      } else if (timedOut_) {
        Fail(kVerdictEraseFail);
      }
      break;
    case kLoadSendData:
      StepSendChunk();
      break;
    case kLoadWaitRequest:
      if (nmeaCode == kNmeaDataRequest) {
        requestedAt_ = offset_;
        SetState(kLoadSendData, 0);
      } else if (timedOut_) {
        Fail(kVerdictSendFail);
      }
      break;
    case kLoadCheckCrc:
    case kLoadCheckRevision:
      StepConfirm(nmeaCode);
      break;
    case kLoadProgramOk:
    case kLoadStopped:
      if (timedOut_) SetState(kLoadReady, 0);
      break;
    default:  // 0, 1: nothing to do
      break;
  }
}

void TLoadTask::StepMonitorProgram() {
  Notify([this] { display_.ClearResult(); });
  scanner_.Reset();
  const auto program = monitor_.data();
  for (size_t offset = 0; offset < program.size(); offset += kMonitorPiece) {
    if (!active_) return;  // stopped: the next pass shows "STOP!"
    const size_t piece = std::min<size_t>(kMonitorPiece, program.size() - offset);
    if (!Send(program.data() + offset, static_cast<int>(piece))) return;
  }
  SetState(kLoadCheckPmon, 10);
}

void TLoadTask::StepMonitorImage() {
  Notify([this] { display_.InitProgress(image_.size() / kImageBlock); });
  const auto data = image_.data();
  for (size_t offset = 0; offset < data.size(); offset += kImageBlock) {
    if (!active_) return;  // stopped: the next pass shows "STOP!"
    if (!Send(data.data() + offset, kImageBlock)) return;
    Notify([this] { display_.StepProgress(); });
  }
  imageSum_ = ImageXorSum(image_);
  SetState(kLoadCheckCode, 5);
}

void TLoadTask::StepCheckCode(MonitorReply reply) {
  static constexpr uint8_t kBootCommand = 'Z';
  if (reply == MonitorReply::Done) {
    const uint16_t value = scanner_.replyValue();
    const uint16_t swapped = static_cast<uint16_t>(value >> 8 | value << 8);
    if (swapped == imageSum_) {
      SetState(kLoadProgramOk, 1);
      Pass();
      Send(&kBootCommand, 1);
    } else {
      // The monitor got something else than was sent: say so, do not leave it silent.
      Fail(kVerdictChecksumFail);
    }
  } else if (timedOut_) {
    Fail(kVerdictChecksumFail);
  }
}

void TLoadTask::StepStartFrame() {
  Notify([this] { display_.ClearResult(); });
  const auto frame = BuildStartFrame(loadAddress_, image_.size());
  ack_ = 0;
  eraseDone_ = false;
  if (!Send(frame.data(), static_cast<int>(frame.size()))) return;
  clock_.sleepMs(100);
  if (port_ != nullptr) port_->Reset(kLoadBaud, 8, 0, 0);
  // A sentence cut off by the purge must not swallow the acknowledgement: its '$' would only
  // end the stale address, and the reply would go unheard.
  nmea_.ResetState();
  purged_ = true;
  SetState(kLoadWaitAck, 10);
  InitProgressBar();
}

void TLoadTask::StepSendChunk() {
  const int32_t size = image_.size();
  const int chunk = std::min<int32_t>(kChunk, size - offset_);
  if (!Send(image_.buffer().data() + offset_, chunk)) return;
  if (offset_ > 0 && offset_ % progressStep_ == 0) Notify([this] { display_.StepProgress(); });
  offset_ += chunk;
  if (offset_ >= size) {
    BeginConfirmation();
  } else if (offset_ % kRequestEvery == 0) {
    SetState(kLoadWaitRequest, 4);
  }
}

void TLoadTask::BeginConfirmation() {
  // The bytes after the last data request may still be on their way; the line keeps its rate
  // until they can have left (a reset purges what has not).
  const int64_t inFlight = image_.size() - requestedAt_;
  lastPieceMs_ = clock_.nowMs();
  lineBackAtMs_ = lastPieceMs_ + inFlight * 10 * 1000 / kLoadBaud + kLineSettleMs;
  lineBack_ = false;
  revisionReported_ = false;
  revisionFrames_ = TFrameReceiver{};
  SetState(kLoadCheckCrc, 0);
}

void TLoadTask::WatchForRevisionReply(const uint8_t* bytes, int count) {
  while (count > 0) {
    const FrameFeed feed = revisionFrames_.Feed(bytes, count);
    if (feed.consumed <= 0) break;
    const auto frame = revisionFrames_.frame();
    if (feed.ended && feed.checksumOk && frame.size() >= 2 && frame[0] == kClassReply &&
        frame[1] == kRevisionReplyId) {
      revisionReported_ = true;
    }
    bytes += feed.consumed;
    count -= feed.consumed;
  }
}

void TLoadTask::StepConfirm(int nmeaCode) {
  if (nmeaCode == kNmeaRevision || revisionReported_) {
    SetState(kLoadProgramOk, 1);
    Pass();
    return;
  }
  const int64_t now = clock_.nowMs();
  if (!lineBack_ && now >= lineBackAtMs_) {
    lineBack_ = true;
    if (port_ != nullptr) port_->Reset(moduleBaud_, 8, 0, 0);
    nmea_.ResetState();
    revisionFrames_ = TFrameReceiver{};
    purged_ = true;
    return;
  }
  if (state_ == kLoadCheckCrc && lineBack_ && now - lastPieceMs_ >= kAskRevisionAfterMs) {
    // The image went out whole: a question that cannot be asked leaves the load unconfirmed.
    if (!Write(kQueryRevisionFrame.data(), static_cast<int>(kQueryRevisionFrame.size()))) {
      NotConfirmed();
      return;
    }
    SetState(kLoadCheckRevision, 0);
    return;
  }
  if (now - lastPieceMs_ >= kConfirmWithinMs) NotConfirmed();
}

}  // namespace vetra
