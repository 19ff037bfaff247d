#include "cli/command_list.h"

#include <cstdio>

#include "commands/command_listing.h"
#include "commands/panel_controls.h"

namespace vetra::cli {

int ListCommands(const EncodeArguments& arguments, const std::string& program) {
  std::vector<std::string> lines;
  if (arguments.command.empty()) {
    lines = CommandListLines(arguments.accessLevel);
  } else {
    EncodeArguments command = arguments;
    command.assignments.clear();
    PreparedCommand prepared = PrepareCommand(command);
    if (prepared.error) {
      std::fprintf(stderr, "%s: %s\n", program.c_str(), prepared.error->error.c_str());
      return 2;
    }
    const std::vector<ControlRef> controls = CommandControls(
        prepared.number, prepared.panels, arguments.extension, arguments.accessLevel);
    lines = ControlListLines(prepared.number, controls, arguments.accessLevel);
  }
  for (const std::string& line : lines) std::printf("%s\n", line.c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}

void AddCommandArguments(CLI::App& sub, EncodeArguments& arguments, bool& list) {
  sub.add_option("command", arguments.command,
                 "Catalogue number 1..34, message id (05h), name or the start of it "
                 "(any letter case and spacing)");
  sub.add_option("controls", arguments.assignments,
                 "NAME=VALUE: a control of the command's panel and its value (--list names them)");
  sub.add_flag("--list", list,
               "List the commands with their numbers; with COMMAND, its controls, the values "
               "they take and their defaults");
}

int CommandMissing(const std::string& program) {
  std::fprintf(stderr,
               "%s: COMMAND is required (or --list)\nRun with --help for more information.\n",
               program.c_str());
  return 2;
}

}  // namespace vetra::cli
