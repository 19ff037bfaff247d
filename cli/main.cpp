// vetra: the receiver tools from a terminal (decode, encode, send, monitor, scan, load, trace,
// convert, ttff, sim, share, stats). Exit status: what the subcommand returns; 2 for a usage error
// (an unknown subcommand says so and lists the others); 0 for --help and --version; 1 when standard
// output could not be written (said on stderr).
#include <algorithm>
#include <iostream>
#include <map>
#include <string>

#include "cli/command_registry.h"
#include "cli/console.h"
#include "cli/standard_output.h"
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
  // The program takes no arguments of its own before the subcommand, only options: a first word
  // that is not a subcommand is named as such (CLI11 would only say that one is required).
  const bool known =
      argc < 2 || argv[1][0] == '-' ||
      std::any_of(commands.begin(), commands.end(),
                  [&](const CommandEntry& command) { return command.name == argv[1]; });
  if (!known) {
    std::string names;
    for (const auto& command : commands) names += (names.empty() ? "" : ", ") + command.name;
    std::cerr << "vetra: unknown subcommand '" << argv[1] << "'; the subcommands are " << names
              << ".\nRun with --help for more information.\n";
    return 2;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return FinishStandardOutput(code == 0 ? 0 : 2);
  }
  // Whatever a subcommand wrote to standard output must have reached it (cli/standard_output.h).
  for (auto& [sub, run] : runners) {
    if (!sub->parsed()) continue;
    SetStandardOutputSpeaker("vetra " + sub->get_name());
    return FinishStandardOutput(run());
  }
  return 2;
}
