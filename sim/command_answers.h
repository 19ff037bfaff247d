#pragma once
// The running firmware's answers to the host's commands: what each command changes in the
// module's state, which values it refuses (NACK), and the replies of the queries (ACK first, then
// the reply frame). The firmware load's own frames (start, erase) go to the FlashLoader instead.

#include <cstdint>

#include "sim/command_reader.h"
#include "sim/module_state.h"

namespace vetra::sim {

class CommandAnswers {
 public:
  CommandAnswers(ModuleState& state, IModuleFirmware& firmware)
      : state_(state), firmware_(firmware) {}

  // Acts on a well-formed command frame and answers it; false: not acted on, to be NACKed.
  bool Apply(const CommandFrame& frame, double nowS);
  void Ack(uint8_t id);
  void Nack(uint8_t id);

 private:
  void SendEphemerides(uint8_t prn, double nowS);
  void SendAlmanacs(double nowS);

  ModuleState& state_;
  IModuleFirmware& firmware_;
};

}  // namespace vetra::sim
