// vetra: the receiver tools from a terminal (decode, encode, send, monitor, scan, load, trace,
// convert, ttff, sim, share, stats). Exit status: what the subcommand returns; 2 for a usage error
// (an unknown subcommand says so and lists the others); 0 for --help and --version.
#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

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
  std::vector<std::string> arguments = ProgramArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  argc = static_cast<int>(pointers.size());
  argv = pointers.data();
  CLI::App app{
      "Vetra Viewer from a terminal: decode, encode, send, monitor, scan, load, trace, "
      "convert, ttff, sim, share",
      "vetra"};
  app.set_version_flag("--version", std::string("vetra ") + VETRA_VERSION,
                       "Print the version and exit");
  app.require_subcommand(1);
  // "/path" is a path, never a Windows-style option (MSYS and Git Bash users pass such paths);
  // the subcommands made below take this setting over.
  app.allow_windows_style_options(false);
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
    return code == 0 ? 0 : 2;
  }
  for (auto& [sub, run] : runners) {
    if (sub->parsed()) return run();
  }
  return 2;
}
