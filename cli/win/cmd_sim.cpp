// vetra sim on Windows: the virtual receiver plays the module on a pseudo-terminal, which Windows
// does not have. The subcommand stays listed so that a user who asks for it learns why.
#include <cstdio>

#include "cli/command_registry.h"

namespace vetra::cli {
namespace {

const CommandRegistration registration{
    "sim", "Play a GPS receiver module on a pseudo-terminal (Linux and macOS only)",
    [](CLI::App& sub) {
      sub.allow_extras();
      return [] {
        std::fprintf(stderr,
                     "vetra sim: the virtual receiver needs a pseudo-terminal, which Windows does "
                     "not have; run `vetra sim` on Linux or macOS, or connect a receiver\n");
        return 1;
      };
    }};

}  // namespace
}  // namespace vetra::cli
