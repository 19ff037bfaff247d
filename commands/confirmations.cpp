#include "commands/confirmations.h"

#include "commands/catalogue.h"
#include "commands/conversions.h"

namespace vetra {

std::optional<std::string> ConfirmationFor(int number, const Panels& panels) {
  if (number == kCmdFactoryDefault) {
    return "Set Factory Default returns the receiver to its factory settings: its line rate, "
           "output format and masks may change, and the receiver may stop answering at the "
           "current rate.\n\nSend it?";
  }
  if (number == kCmdSetId) {
    const int kind = panels.pnID.rgID;
    const std::string kindText = kind >= 0 && kind < static_cast<int>(kIdKindItems.size())
                                     ? std::string(kIdKindItems[kind])
                                     : "ID";
    // The value the encoder sends: an empty box sends 0.
    const int32_t id = IntegerOrDefault(panels.pnID.edModuleID, 0);
    return "Set ID overwrites the module's " + kindText + " with " + std::to_string(id) +
           ".\n\nSend it?";
  }
  return std::nullopt;
}

}  // namespace vetra
