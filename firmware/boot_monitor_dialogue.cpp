#include "firmware/boot_monitor_dialogue.h"

#include <algorithm>

#include "firmware/load_display.h"

namespace vetra {

void BootMonitorDialogue::Step(ILoadContext& load, MonitorReply reply) {
  static constexpr uint8_t kEraseCommand = 'E';
  switch (load.state()) {
    case LoadState::StartPmon:
      SendMonitorProgram(load);
      break;
    case LoadState::CheckPmon:
      if (reply == MonitorReply::Mpd) {
        if (!load.Send({&kEraseCommand, 1})) return;
        load.SetState(LoadState::PmonErase, 10);
      } else if (load.timedOut()) {
        load.Fail(kVerdictPmonFail);
      }
      break;
    case LoadState::PmonErase:
      if (reply == MonitorReply::Erase) {
        load.SetState(LoadState::PmonSend, 0);
      } else if (load.timedOut()) {
        load.Fail(kVerdictEraseFail);
      }
      break;
    case LoadState::PmonSend:
      SendImage(load);
      break;
    case LoadState::CheckCode:
      CheckCode(load, reply);
      break;
    default:  // another dialogue's state
      break;
  }
}

void BootMonitorDialogue::SendMonitorProgram(ILoadContext& load) {
  load.Show([](ILoadDisplay& display) { display.ClearResult(); });
  scanner_.Reset();
  const auto program = monitor_.data();
  for (size_t offset = 0; offset < program.size(); offset += kMonitorPiece) {
    if (!load.active()) return;  // stopped: the next pass shows "STOP!"
    const size_t piece = std::min<size_t>(kMonitorPiece, program.size() - offset);
    if (!load.Send(program.subspan(offset, piece))) return;
  }
  load.SetState(LoadState::CheckPmon, 10);
}

void BootMonitorDialogue::SendImage(ILoadContext& load) {
  const int blocks = image_.size() / kImageBlock;
  load.Show([blocks](ILoadDisplay& display) { display.InitProgress(blocks); });
  const auto data = image_.data();
  for (size_t offset = 0; offset < data.size(); offset += kImageBlock) {
    if (!load.active()) return;  // stopped: the next pass shows "STOP!"
    if (!load.Send(data.subspan(offset, kImageBlock))) return;
    load.Show([](ILoadDisplay& display) { display.StepProgress(); });
  }
  imageSum_ = ImageXorSum(image_);
  load.SetState(LoadState::CheckCode, 5);
}

void BootMonitorDialogue::CheckCode(ILoadContext& load, MonitorReply reply) {
  static constexpr uint8_t kBootCommand = 'Z';
  if (reply == MonitorReply::Done) {
    const uint16_t value = scanner_.replyValue();
    const uint16_t swapped = static_cast<uint16_t>(value >> 8 | value << 8);
    if (swapped == imageSum_) {
      load.SetState(LoadState::ProgramOk, 1);
      load.Pass();
      load.Send({&kBootCommand, 1});
    } else {
      // The monitor got something else than was sent: say so, do not leave it silent.
      load.Fail(kVerdictChecksumFail);
    }
  } else if (load.timedOut()) {
    load.Fail(kVerdictChecksumFail);
  }
}

}  // namespace vetra
