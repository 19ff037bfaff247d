#pragma once
// The terminal's way into the encoders: a command named by its catalogue number, message id or
// tree text, and its panel's controls set from NAME=VALUE texts, starting from the form's defaults.
// The frame comes back as the Send button would echo it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/panel_controls.h"
#include "commands/panels.h"

namespace vetra {

struct EncodeArguments {
  std::string command;                   // "5", "05h" or "Query Firmware Revision (05h)"
  std::vector<std::string> assignments;  // "NAME=VALUE"
  Chip chip = Chip::K700;
  int accessLevel = kEngineerLevel;
  ICommandExtension* extension = nullptr;  // the trace commands' encoders
};

struct EncodeReport {
  enum class Status {
    Frame,            // echo holds the frame
    NothingToSend,    // the command builds no frame here (note says why)
    ConversionError,  // error holds the conversion's message
    UsageError,       // unknown command or control, a value a control cannot hold
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
