#include "commands/encode_arguments.h"

#include <array>

#include "commands/catalogue.h"
#include "commands/conversions.h"
#include "commands/panel_controls.h"
#include "commands/panel_rules.h"
#include "commands/send_path.h"
#include "link/frame.h"

namespace vetra {
namespace {

EncodeReport Usage(std::string text) {
  EncodeReport report;
  report.status = EncodeReport::Status::UsageError;
  report.error = std::move(text);
  return report;
}

std::string ControlNames(const std::vector<ControlRef>& controls) {
  std::string names;
  for (const ControlRef& c : controls) {
    if (c.hidden) continue;
    if (!names.empty()) names += ", ";
    names += c.name;
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

EncodeReport EncodeFromArguments(const EncodeArguments& arguments) {
  const auto number = FindCommand(arguments.command);
  if (!number) {
    return Usage("unknown command '" + arguments.command +
                 "': give a catalogue number 1 to 34, a message id such as 05h, or the tree text");
  }
  const CatalogueEntry& entry = CatalogueEntryOf(*number);
  if (entry.minLevel > arguments.accessLevel) {
    return Usage("'" + std::string(entry.treeText) + "' is not listed at access level " +
                 std::to_string(arguments.accessLevel));
  }

  Panels panels;
  ApplyAccessLevel(panels, arguments.accessLevel);
  if (arguments.chip != Chip::K700) ApplyChip(panels, arguments.chip);

  const std::vector<ControlRef> controls = PanelControls(panels, *number, arguments.accessLevel);
  for (const std::string& assignment : arguments.assignments) {
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos) {
      return Usage("'" + assignment + "' is not NAME=VALUE");
    }
    const std::string name = assignment.substr(0, equals);
    const std::string_view value = std::string_view(assignment).substr(equals + 1);
    const ControlRef* control = nullptr;
    for (const ControlRef& c : controls) {
      if (c.name == name) control = &c;
    }
    if (!control) {
      return Usage("'" + std::string(entry.treeText) + "' has no control '" + name +
                   "'; its controls: " + ControlNames(controls));
    }
    if (control->hidden) {
      return Usage("control '" + name + "' is not shown for '" + std::string(entry.treeText) +
                   "' at access level " + std::to_string(arguments.accessLevel));
    }
    if (auto error = SetControl(*control, value)) return Usage(*error);
  }
  if (entry.panel == PanelId::pnID) {
    RefusalRecorder refusal;
    if (ApplyIdKindRule(panels.pnID, arguments.accessLevel, refusal)) return Usage(refusal.refused);
  }

  EncodeReport report;
  if (!entry.encode) {
    report.status = EncodeReport::Status::NothingToSend;
    report.note = "'" + std::string(entry.treeText) + "' sends nothing";
    return report;
  }
  EncodeContext context;
  context.chip = arguments.chip;
  context.accessLevel = arguments.accessLevel;
  context.extension = arguments.extension;
  std::array<uint8_t, kMaxFrameSize> frame{};
  size_t length = 0;
  try {
    length = entry.encode(*number, panels, context, frame);
  } catch (const ConversionError& e) {
    report.status = EncodeReport::Status::ConversionError;
    report.error = e.what();
    return report;
  }
  if (length == 0) {
    report.status = EncodeReport::Status::NothingToSend;
    if (*number == kCmdLoadEphemeris) {
      report.note =
          "'Load Ephemeris (0Ah)' sends one frame per valid slot of the ephemeris store, "
          "which is empty here";
    } else if (entry.panel == PanelId::pnTraceRecord || entry.panel == PanelId::pnTraceRead ||
               entry.panel == PanelId::pnMaintainTrace) {
      report.note = "'" + std::string(entry.treeText) +
                    "' is built by the trace logger, which "
                    "is not available here";
    } else {
      report.note = "'" + std::string(entry.treeText) + "' sends nothing";
    }
    return report;
  }
  report.status = EncodeReport::Status::Frame;
  report.echo = EchoText({frame.data(), length});
  return report;
}

}  // namespace vetra
