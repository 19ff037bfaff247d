#include "cli/command_registry.h"

namespace vetra::cli {

// A function's static: filled by the registrations of every subcommand's file, whatever the order
// of their static initialisation.
std::vector<CommandEntry>& Commands() {
  static std::vector<CommandEntry> commands;
  return commands;
}

}  // namespace vetra::cli
