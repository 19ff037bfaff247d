#include "firmware/new_firmware_check.h"

#include "decode/nmea.h"
#include "firmware/load_frames.h"
#include "link/frame.h"

namespace vetra {

void NewFirmwareCheck::Begin(ILoadContext& load, int64_t bytesInFlight, int lineBaud,
                             int moduleBaud) {
  // The line keeps its rate until the bytes in flight can have left (a reset purges what has not).
  moduleBaud_ = moduleBaud;
  lastPieceMs_ = load.clock().nowMs();
  lineBackAtMs_ = lastPieceMs_ + bytesInFlight * 10 * 1000 / lineBaud + kLineSettleMs;
  lineBack_ = false;
  revisionReported_ = false;
  revisionFrames_ = TFrameReceiver{};
  load.SetState(LoadState::CheckCrc, 0);
}

void NewFirmwareCheck::Watch(std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const FrameFeed feed = revisionFrames_.Feed(bytes.data(), static_cast<int>(bytes.size()));
    if (feed.consumed <= 0) break;
    const auto frame = revisionFrames_.frame();
    if (feed.ended && feed.checksumOk && frame.size() >= 2 && frame[0] == kClassReply &&
        frame[1] == kRevisionReplyId) {
      revisionReported_ = true;
    }
    bytes = bytes.subspan(static_cast<size_t>(feed.consumed));
  }
}

void NewFirmwareCheck::Step(ILoadContext& load, int nmeaCode) {
  if (nmeaCode == kNmeaRevision || revisionReported_) {
    load.SetState(LoadState::ProgramOk, 1);
    load.Pass();
    return;
  }
  const int64_t now = load.clock().nowMs();
  if (!lineBack_ && now >= lineBackAtMs_) {
    lineBack_ = true;
    load.ResetLine(moduleBaud_);
    revisionFrames_ = TFrameReceiver{};
    return;
  }
  if (load.state() == LoadState::CheckCrc && lineBack_ &&
      now - lastPieceMs_ >= kAskRevisionAfterMs) {
    // The image went out whole: a question that cannot be asked leaves the load unconfirmed.
    if (!load.Write(kQueryRevisionFrame)) {
      load.NotConfirmed();
      return;
    }
    load.SetState(LoadState::CheckRevision, 0);
    return;
  }
  if (now - lastPieceMs_ >= kConfirmWithinMs) load.NotConfirmed();
}

}  // namespace vetra
