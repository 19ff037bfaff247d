#include "firmware/firmware_transfer.h"

#include <algorithm>

#include "decode/nmea.h"
#include "firmware/load_display.h"
#include "firmware/load_frames.h"

namespace vetra {

void FirmwareTransfer::Heard(int nmeaCode) {
  if (nmeaCode == kNmeaStartAck) ack_ = 1;
  if (nmeaCode == kNmeaStartRefused) ack_ = -1;
  if (nmeaCode == kNmeaEraseDone) eraseDone_ = true;
}

bool FirmwareTransfer::Step(ILoadContext& load, int nmeaCode, uint32_t loadAddress) {
  switch (load.state()) {
    case LoadState::Start:
      SendStartFrame(load, loadAddress);
      break;
    case LoadState::WaitAck:
      if (ack_ == 1) {
        if (!load.Send(kEraseFrame)) break;
        load.SetState(LoadState::Erase, 20);
      } else if (ack_ == -1 || load.timedOut()) {
        load.Fail(kVerdictLoadFail);
      }
      break;
    case LoadState::Erase:
      if (eraseDone_) {
        load.SetState(LoadState::SendData, 0);
        offset_ = 0;
        requestedAt_ = 0;
      } else if (load.timedOut()) {
        load.Fail(kVerdictEraseFail);
      }
      break;
    case LoadState::SendData:
      return SendChunk(load);
    case LoadState::WaitRequest:
      if (nmeaCode == kNmeaDataRequest) {
        requestedAt_ = offset_;
        load.SetState(LoadState::SendData, 0);
      } else if (load.timedOut()) {
        load.Fail(kVerdictSendFail);
      }
      break;
    default:  // another dialogue's state
      break;
  }
  return false;
}

void FirmwareTransfer::SendStartFrame(ILoadContext& load, uint32_t loadAddress) {
  load.Show([](ILoadDisplay& display) { display.ClearResult(); });
  const auto frame = BuildStartFrame(loadAddress, image_.size());
  ack_ = 0;
  eraseDone_ = false;
  if (!load.Send(frame)) return;
  load.clock().sleepMs(100);
  // A sentence cut off by the purge must not swallow the acknowledgement: its '$' would only
  // end the stale address, and the reply would go unheard.
  load.ResetLine(kLoadBaud);
  load.SetState(LoadState::WaitAck, 10);
  load.InitProgressBar();
}

bool FirmwareTransfer::SendChunk(ILoadContext& load) {
  const int32_t size = image_.size();
  const int chunk = std::min<int32_t>(kChunk, size - offset_);
  if (!load.Send(image_.buffer().subspan(static_cast<size_t>(offset_), chunk))) return false;
  if (offset_ > 0 && offset_ % load.progressStep() == 0) {
    load.Show([](ILoadDisplay& display) { display.StepProgress(); });
  }
  offset_ += chunk;
  if (offset_ >= size) return true;
  if (offset_ % kRequestEvery == 0) load.SetState(LoadState::WaitRequest, 4);
  return false;
}

}  // namespace vetra
