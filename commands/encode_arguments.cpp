#include "commands/encode_arguments.h"

#include "commands/catalogue.h"
#include "commands/command_lookup.h"
#include "commands/control_values.h"
#include "commands/conversions.h"
#include "commands/panel_controls.h"
#include "commands/panel_rules.h"
#include "commands/send_path.h"

namespace vetra {
namespace {

EncodeReport Failure(EncodeReport::Status status, std::string text) {
  EncodeReport report;
  report.status = status;
  report.error = std::move(text);
  return report;
}

std::string ControlNames(const std::vector<ControlRef>& controls) {
  std::string names;
  for (const ControlRef& c : controls) {
    if (c.hidden) continue;
    if (!names.empty()) names += ", ";
    names += c.descriptor->name;
  }
  return names.empty() ? "none" : names;
}

// The ID kind rule refuses "Production ID" below access level 8; the window would put the choice
// back, the terminal says so instead of sending another kind than the one asked for.
class RefusalRecorder final : public IMessages {
 public:
  void Show(const std::string& text, const std::string&, Kind) override { refused = text; }
  std::string refused;
};

}  // namespace

PreparedCommand PrepareCommand(const EncodeArguments& arguments) {
  PreparedCommand prepared;
  auto fail = [&prepared](std::string text,
                          EncodeReport::Status status = EncodeReport::Status::UsageError) {
    prepared.error = Failure(status, std::move(text));
    return std::move(prepared);
  };
  const CommandLookup lookup = LookUpCommand(arguments.command);
  if (!lookup.number) return fail(CommandLookupError(arguments.command, lookup));
  const auto number = lookup.number;
  prepared.number = *number;
  const CommandDescriptor& entry = CatalogueEntryOf(*number);
  if (!ListsCommand(arguments.accessLevel, entry.minLevel)) {
    return fail("'" + std::string(entry.treeText) + "' is not listed at access level " +
                std::to_string(arguments.accessLevel));
  }

  Panels& panels = prepared.panels;
  ApplyAccessLevel(panels, arguments.accessLevel);
  if (arguments.chip != Chip::K700) ApplyChip(panels, arguments.chip);
  if (*number == kCmdRestart) {
    pnRestartPanel& restart = panels.pnRestart;
    // What the panel's first placement puts into the boxes the user cannot see.
    if (arguments.utcSeconds && !ShowsRestartTimeFields(arguments.accessLevel)) {
      FillRestartDateTime(restart, *arguments.utcSeconds);
    }
    if (arguments.sync) {
      if (!ShowsRestartTimeFields(arguments.accessLevel)) {
        return fail("the Sync button is not shown at access level " +
                    std::to_string(arguments.accessLevel));
      }
      if (arguments.utcSeconds) FillRestartDateTime(restart, *arguments.utcSeconds);
      restart.RSTLat = DegreesToDegreesMinutes(arguments.sync->latitudeDeg);
      restart.RSTLong = DegreesToDegreesMinutes(arguments.sync->longitudeDeg);
    }
  } else if (arguments.sync) {
    return fail("--sync belongs to '" + std::string(CatalogueEntryOf(kCmdRestart).treeText) + "'");
  }

  const std::vector<ControlRef> controls =
      CommandControls(*number, panels, arguments.extension, arguments.accessLevel);
  for (const std::string& assignment : arguments.assignments) {
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos) return fail("'" + assignment + "' is not NAME=VALUE");
    const std::string name = assignment.substr(0, equals);
    const std::string_view value = std::string_view(assignment).substr(equals + 1);
    const ControlRef* control = nullptr;
    for (const ControlRef& c : controls) {
      if (c.descriptor->name == name) control = &c;
    }
    if (!control) {
      return fail("'" + std::string(entry.treeText) + "' has no control '" + name +
                  "'; its controls: " + ControlNames(controls));
    }
    if (control->hidden) {
      return fail("control '" + name + "' is not shown for '" + std::string(entry.treeText) +
                  "' at access level " + std::to_string(arguments.accessLevel));
    }
    if (auto error = SetControl(*control, value)) return fail(*error);
    if (auto accepted = Refusal(*control->descriptor, value)) {
      return fail(RefusalText(name, {name, std::string(value), *accepted}),
                  EncodeReport::Status::Refused);
    }
    // rgCustomizedLEDClick: the chosen LED's preset replaces the patterns given so far.
    if (entry.panel == PanelId::pnCustomizedLED && control->kind() == ControlKind::Choice) {
      ApplyLedPreset(panels.pnCustomizedLED);
    }
  }
  if (entry.panel == PanelId::pnID) {
    RefusalRecorder refusal;
    if (ApplyIdKindRule(panels.pnID, arguments.accessLevel, refusal)) return fail(refusal.refused);
  }
  return prepared;
}

std::string NothingToSendNote(int number) {
  const CommandDescriptor& entry = CatalogueEntryOf(number);
  const std::string name = "'" + std::string(entry.treeText) + "'";
  if (number == kCmdLoadEphemeris) {
    return name + " sends one frame per valid slot of the ephemeris store, which is empty here";
  }
  if (entry.extended) {
    return name + " is built by the trace logger, which is not available here";
  }
  return name + " sends nothing";
}

EncodeReport EncodeFromArguments(const EncodeArguments& arguments) {
  PreparedCommand prepared = PrepareCommand(arguments);
  if (prepared.error) return *prepared.error;
  const int number = prepared.number;
  Panels& panels = prepared.panels;

  EncodeReport report;
  EncodeContext context;
  context.chip = arguments.chip;
  context.accessLevel = arguments.accessLevel;
  context.extension = arguments.extension;
  Encoded encoded;
  try {
    encoded = EncodeCommand(number, panels, context);
  } catch (const ConversionError& e) {
    report.status = EncodeReport::Status::ConversionError;
    report.error = e.what();
    return report;
  }
  // Without a store here, Load Ephemeris has no frame to show.
  if (encoded.frames.empty()) {
    report.status = EncodeReport::Status::NothingToSend;
    report.note = NothingToSendNote(number);
    return report;
  }
  report.status = EncodeReport::Status::Frame;
  report.echo = EchoText(encoded.frames.back());
  return report;
}

}  // namespace vetra
