// vetra: the receiver tools from a terminal, one subcommand each (cli/cmd_*.cpp, listed in --help's
// first line from the registry). Exit status: what the subcommand returns; 2 for a usage error (an
// unknown subcommand says so and lists the others; an unknown option is named before any missing
// one); 0 for --help and --version; 1 when standard output could not be written (said on stderr).
#include <algorithm>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "cli/console.h"
#include "cli/standard_output.h"
#include "vetra_version.h"

namespace {

// The words that no option or argument of app or of a parsed subcommand took.
std::vector<std::string> LeftOver(const CLI::App& app) {
  std::vector<std::string> words = app.remaining();
  for (const CLI::App* sub : app.get_subcommands()) {
    const std::vector<std::string> more = LeftOver(*sub);
    words.insert(words.end(), more.begin(), more.end());
  }
  return words;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vetra::cli;
  UseBinaryStreams();
  std::vector<std::string> arguments = ProgramArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  argc = static_cast<int>(pointers.size());
  argv = pointers.data();
  auto& commands = Commands();
  std::sort(commands.begin(), commands.end(),
            [](const CommandEntry& a, const CommandEntry& b) { return a.name < b.name; });
  std::string names;
  for (const auto& command : commands) names += (names.empty() ? "" : ", ") + command.name;
  CLI::App app{"Vetra Viewer from a terminal: " + names, "vetra"};
  app.set_version_flag("--version", std::string("vetra ") + VETRA_VERSION,
                       "Print the version and exit");
  app.require_subcommand(1);
  // "/path" is a path, never a Windows-style option (MSYS and Git Bash users pass such paths);
  // the subcommands made below take this setting over.
  app.allow_windows_style_options(false);
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
    std::cerr << "vetra: unknown subcommand '" << argv[1] << "'; the subcommands are " << names
              << ".\nRun with --help for more information.\n";
    return 2;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::RequiredError& e) {
    // CLI11 checks what is required before what is left over: a misspelt "--prot P" would be
    // reported as a missing --port. The words nobody took are the first thing to tell.
    std::vector<std::string> unknown = LeftOver(app);
    // An unknown option is what to name; the value after it was left over only because of it.
    std::vector<std::string> options;
    std::copy_if(unknown.begin(), unknown.end(), std::back_inserter(options),
                 [](const std::string& word) { return word.starts_with('-'); });
    if (!options.empty()) unknown = options;
    if (!unknown.empty()) return app.exit(CLI::ExtrasError(unknown)) == 0 ? 0 : 2;
    return app.exit(e) == 0 ? 0 : 2;
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
