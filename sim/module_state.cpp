#include "sim/module_state.h"

#include <cmath>

#include "link/frame.h"
#include "sim/nav_frames.h"

namespace vetra::sim {
namespace {

FirmwareRevision FactoryRevision(Chip chip) {
  if (chip == Chip::K900) return {"K900FW --1.6", 20231114, 93012, 0x5B21};
  return {"K700FW V1.5 ", 0x00231114, 0x00093012, 0x3A7C};
}

}  // namespace

ModuleState::ModuleState(const SimOptions& options, int64_t utcAtStartMs, FaultSwitches* faults)
    : options(options),
      faults(faults ? faults : &ownFaults),
      utcAtStartMs(utcAtStartMs),
      settings(DefaultSettings(options)),
      revision(FactoryRevision(options.chip)),
      lineBaud(options.baud) {}

int64_t ModuleState::UtcMsAt(double nowS) const {
  return utcAtStartMs + static_cast<int64_t>(std::floor(nowS * 1000.0 + 0.5));
}

double ModuleState::TimeOfUtcMs(int64_t utcMs) const {
  return static_cast<double>(utcMs - utcAtStartMs) / 1000.0;
}

void ModuleState::Schedule(double atS, std::function<void(double)> action) {
  scheduled.push_back({atS, std::move(action)});
}

void ModuleState::SendSentence(std::string sentence, bool wrongChecksum) {
  if (wrongChecksum || faults->corruptChecksums.load()) {
    const size_t star = sentence.rfind('*');
    if (star != std::string::npos && star + 2 < sentence.size()) {
      char& digit = sentence[star + 2];
      digit = digit == '0' ? '1' : '0';
    }
  }
  output.Append(sentence);
}

void ModuleState::SendFrame(uint8_t frameClass, uint8_t id, std::span<const uint8_t> payload) {
  std::vector<uint8_t> frame;
  AppendFrame(frame, frameClass, id, payload);
  if (faults->corruptChecksums.load()) frame[frame.size() - 3] ^= 0xFF;
  output.Append(frame);
}

void ModuleState::SendText(std::string_view text) { output.Append(text); }

void ModuleState::ChangeLineRate(int baud, bool afterQueuedBytes) {
  if (afterQueuedBytes) {
    output.AppendBaudChange(baud);
    return;
  }
  output.ClearBytes();
  while (output.TakeBaudChange() != 0) {
  }
  lineBaud = baud;
}

}  // namespace vetra::sim
