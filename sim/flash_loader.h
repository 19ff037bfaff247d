#pragma once
// FlashLoader: the module's two ways of taking a new firmware image (the boot monitor's dialogue
// and the running firmware's), over the module's state; see flash_loader.cpp for both dialogues.
// ReceiverModule hands it the load's start and erase frames, and every byte while the module is
// in a loading mode.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "sim/command_reader.h"
#include "sim/module_state.h"

namespace vetra::sim {

class FlashLoader {
 public:
  FlashLoader(ModuleState& state, IModuleFirmware& firmware) : state_(state), firmware_(firmware) {}

  // True while the bytes received go to the loader rather than to the command reader.
  bool TakesBytes() const {
    return state_.mode != ModuleMode::Running && state_.mode != ModuleMode::Rebooting &&
           state_.mode != ModuleMode::LoadStarting;
  }
  // The start frame (F1 72): false when the module refuses it (a wrong address or size).
  bool Start(const CommandFrame& frame, double nowS);
  // The erase frame (F1 73) after an accepted start frame.
  void Erase(double nowS);
  // Takes what it uses of bytes (used: how many); the rest goes to the command reader.
  void Receive(std::span<const uint8_t> bytes, double nowS, size_t& used);
  // The ends that time decides: quiet after the data, a load abandoned.
  void Advance(double nowS);
  // The answers of the load are held back from this step on (a fault switched on).
  bool SilentAt(LoadStep step) const;

 private:
  void Finish(double nowS);
  void SendMonitorReply(std::string_view text);

  ModuleState& state_;
  IModuleFirmware& firmware_;
  std::vector<uint8_t> incoming_;  // monitor program or image bytes received so far
  size_t expectedImageSize_ = 0;
};

}  // namespace vetra::sim
