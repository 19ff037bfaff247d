// vetra: the receiver tools from a terminal (decode, encode, send, monitor, scan, load, trace,
// convert, ttff, sim, share). Exit status: what the subcommand returns; 2 for a usage error; 0 for
// --help and --version.
#include <algorithm>
#include <iostream>
#include <map>
#include <string>

#include "cli/command_registry.h"
#include "cli/console.h"
#include "vetra_version.h"

namespace vetra::cli {
std::vector<CommandEntry>& Commands() {
  static std::vector<CommandEntry> commands;
  return commands;
}
}  // namespace vetra::cli

int main(int argc, char** argv) {
  using namespace vetra::cli;
  UseBinaryStreams();
  CLI::App app{
      "Vetra Viewer from a terminal: decode, encode, send, monitor, scan, load, trace, "
      "convert, ttff, sim, share",
      "vetra"};
  app.set_version_flag("--version", std::string("vetra ") + VETRA_VERSION,
                       "Print the version and exit");
  app.require_subcommand(1);
  auto& commands = Commands();
  std::sort(commands.begin(), commands.end(),
            [](const CommandEntry& a, const CommandEntry& b) { return a.name < b.name; });
  std::map<CLI::App*, std::function<int()>> runners;
  for (auto& command : commands) {
    CLI::App* sub = app.add_subcommand(command.name, command.description);
    runners[sub] = command.setup(*sub);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  for (auto& [sub, run] : runners) {
    if (sub->parsed()) return run();
  }
  return 2;
}
