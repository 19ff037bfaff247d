#pragma once
// The terminal's way into the encoders: a command named by its catalogue number, message id, or
// its name or the start of it (commands/command_lookup.h), and its panel's controls set from
// NAME=VALUE texts, starting from the panel's defaults. The frame comes back as the Send button
// would echo it.
//
// The panel's own behaviour applies as a click would bring it: where the Restart panel hides its
// date and time (below the engineer level) they hold the computer's UTC time, as the panel fills
// them when it is first shown; --sync is the Sync button (date, time and the last fix's position);
// choosing a Customized LED loads that LED's preset patterns, and patterns given after the choice
// replace them; "Production ID" is refused below the production level. An edit's value must be one
// the panel accepts (commands/control_values.h): text is taken as UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/panel_controls.h"
#include "commands/panels.h"

namespace vetra {

struct EncodeArguments {
  std::string command;                   // "5", "05h", "Query Firmware Revision (05h)", "query f"
  std::vector<std::string> assignments;  // "NAME=VALUE"
  Chip chip = Chip::K700;
  int accessLevel = kEngineerLevel;
  ICommandExtension* extension = nullptr;  // the trace commands' encoders
  // The computer's UTC time (seconds since 1970) for the Restart panel's date and time; without
  // it they keep the panel's defaults.
  std::optional<int64_t> utcSeconds{};
  // The Sync button, with the last fix's position in signed decimal degrees.
  struct Position {
    double latitudeDeg = 0;
    double longitudeDeg = 0;
  };
  std::optional<Position> sync{};
};

struct EncodeReport {
  enum class Status {
    Frame,            // echo holds the frame
    NothingToSend,    // the command builds no frame here (note says why)
    ConversionError,  // error holds the conversion's message
    Refused,          // an edit's value is not accepted: error names the control and its range
    UsageError,       // unknown command, control or item, a control hidden at the access level
  };
  Status status = Status::UsageError;
  std::string echo;  // "%02x " per byte
  std::string note;
  std::string error;
};

// The command and its panels with the arguments applied; error holds a UsageError report when the
// command or a control is unknown, hidden at the access level, or cannot hold its value.
struct PreparedCommand {
  int number = 0;
  Panels panels;
  std::optional<EncodeReport> error;
};
PreparedCommand PrepareCommand(const EncodeArguments& arguments);

// Why a command builds no frame in the terminal (it sends nothing, or needs what is missing here).
std::string NothingToSendNote(int number);

EncodeReport EncodeFromArguments(const EncodeArguments& arguments);

}  // namespace vetra
