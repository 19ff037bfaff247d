// vetra encode COMMAND [NAME=VALUE ...] [--chip k700|k900] [--level N]
// vetra encode --list [COMMAND]
// Prints the frame of one receiver command exactly as the View page's "Command" field echoes it
// ("%02x " per byte). COMMAND is a catalogue number (1 to 34), a message id ("05h"), the name in
// any letter case and spacing or the start of it (cli/command_list.h lists them); NAME a control of
// the command's panel (RSTyear, SetStartMode, edGdop, cbPRN05 ...), VALUE the text typed, a
// choice's item text or position, or on/off for a check box. Controls not named keep the panel's
// defaults; where the Restart panel hides its date and time (below level 16) they hold the current
// UTC time, as Send would send them. The access level defaults to the engineer level (16), where
// every command and control is offered. Exit status: 0 (also for a command that sends nothing: a
// note on stderr); 1 when a value is not one the panel accepts, or a field does not convert (the
// message on stderr, nothing printed); 2 for an unknown command, control or item, a control hidden
// at the level, or an unknown level.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_list.h"
#include "cli/command_registry.h"
#include "cli/level_option.h"
#include "commands/encode_arguments.h"
#include "trace/trace_command_extension.h"
#include "util/clock.h"

namespace vetra::cli {
namespace {

int Run(const EncodeArguments& arguments) {
  const EncodeReport report = EncodeFromArguments(arguments);
  switch (report.status) {
    case EncodeReport::Status::Frame:
      std::printf("%s\n", report.echo.c_str());
      return 0;  // main checks that it reached standard output
    case EncodeReport::Status::NothingToSend:
      std::fprintf(stderr, "vetra encode: %s\n", report.note.c_str());
      return 0;
    case EncodeReport::Status::ConversionError:
      std::fprintf(stderr, "%s\n", report.error.c_str());
      return 1;
    case EncodeReport::Status::Refused:
      std::fprintf(stderr, "vetra encode: %s\n", report.error.c_str());
      return 1;
    case EncodeReport::Status::UsageError:
      break;
  }
  std::fprintf(stderr, "vetra encode: %s\n", report.error.c_str());
  return 2;
}

const CommandRegistration kEncode{
    "encode", "Print the frame of a receiver command as the Send button would echo it",
    [](CLI::App& sub) -> std::function<int()> {
      auto arguments = std::make_shared<EncodeArguments>();
      auto chip = std::make_shared<std::string>("k700");
      auto list = std::make_shared<bool>(false);
      AddCommandArguments(sub, *arguments, *list);
      sub.add_option("--chip", *chip, "Chip chosen on the Setup page")
          ->transform(CLI::IsMember({"k700", "k900"}, CLI::ignore_case));
      AddLevelOption(sub, arguments->accessLevel);
      return [arguments, chip, list] {
        arguments->chip = *chip == "k900" ? Chip::K900 : Chip::K700;
        arguments->utcSeconds = SystemClock::instance().nowSeconds();
        TraceCommandExtension trace;
        arguments->extension = &trace;
        if (*list) return ListCommands(*arguments, "vetra encode");
        if (arguments->command.empty()) return CommandMissing("vetra encode");
        return Run(*arguments);
      };
    }};

}  // namespace
}  // namespace vetra::cli
