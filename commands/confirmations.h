#pragma once
// Commands that change the module for good are sent only when the user confirms them: Set
// Factory Default (its line rate, output and masks go back to the factory's) and Set ID (the
// module's ID is overwritten). The window asks with these texts; the terminal acts as asked, so
// that scripts keep working.

#include <optional>
#include <string>

#include "commands/panels.h"

namespace vetra {

// The question to ask before catalogue command `number` is sent from `panels`; nullopt when the
// command needs none.
std::optional<std::string> ConfirmationFor(int number, const Panels& panels);

}  // namespace vetra
