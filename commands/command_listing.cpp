#include "commands/command_listing.h"

#include <algorithm>
#include <cstdio>

#include "commands/catalogue.h"
#include "commands/control_values.h"

namespace vetra {
namespace {

std::string Hex(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02Xh", value & 0xFF);
  return text;
}

std::string AnswerText(const CommandDescriptor& row) {
  switch (row.reply.kind) {
    case ExpectedReply::Kind::Ack:
      return "answered by ACK";
    case ExpectedReply::Kind::Reply:
      return std::string("answered by reply ") + Hex(row.reply.replyId) +
             (row.reply.repliesWhen != nullptr ? " (or ACK)" : "");
    case ExpectedReply::Kind::StoreRead:
      return "answered by one reply " + Hex(row.reply.replyId) + " per satellite";
  }
  return {};
}

std::string ItemsText(const ControlRef& control) {
  std::string items;
  for (size_t i = 0; i < control.items.size(); ++i) {
    items += (i ? ", \"" : "\"") + control.items[i] + "\" (" + std::to_string(i) + ")";
  }
  return items;
}

// Kind, accepted values and the panel's default.
std::string ControlText(const ControlRef& control) {
  const ValueRef& value = control.value;
  switch (control.kind()) {
    case ControlKind::Choice: {
      const int at = value.choice != nullptr ? *value.choice : -1;
      const std::string chosen = at >= 0 && at < static_cast<int>(control.items.size())
                                     ? "\"" + control.items[static_cast<size_t>(at)] + "\""
                                     : "none";
      return "choice: " + ItemsText(control) + "; default " + chosen;
    }
    case ControlKind::Check:
      return std::string("check: on or off; default ") +
             (value.check != nullptr && *value.check ? "on" : "off");
    case ControlKind::Integer:
    case ControlKind::Hex:
    case ControlKind::Real:
    case ControlKind::Text: {
      static constexpr const char* kKinds[] = {"integer", "hex", "real", "text"};
      return std::string(kKinds[static_cast<int>(control.kind())]) + ": " +
             AcceptedValues(*control.descriptor) + "; default \"" +
             (value.text != nullptr ? *value.text : std::string()) + "\"";
    }
  }
  return {};
}

}  // namespace

std::vector<std::string> CommandListLines(int accessLevel) {
  std::vector<std::string> lines;
  for (int n = 1; n <= kCommandCount; ++n) {
    const CommandDescriptor& row = CatalogueEntryOf(n);
    if (!ListsCommand(accessLevel, row.minLevel)) continue;
    char number[8];
    std::snprintf(number, sizeof number, "%2d  ", n);
    lines.push_back(number + std::string(row.treeText));
  }
  return lines;
}

std::vector<std::string> ControlListLines(int number, const std::vector<ControlRef>& controls,
                                          int accessLevel) {
  const CommandDescriptor& row = CatalogueEntryOf(number);
  std::vector<std::string> lines = {std::string(row.treeText) + ", number " +
                                    std::to_string(number) + ", " + AnswerText(row)};
  size_t width = 0;
  for (const ControlRef& c : controls) {
    if (!c.hidden) width = std::max(width, c.descriptor->name.size());
  }
  for (const ControlRef& c : controls) {
    if (c.hidden) continue;  // not shown at this level: the user cannot set it
    std::string name = c.name();
    name.resize(width, ' ');
    lines.push_back("  " + name + "  " + ControlText(c));
  }
  if (width == 0) {
    lines.push_back(row.sends() ? "  no controls at access level " + std::to_string(accessLevel)
                                : "  no controls; the command sends nothing");
  }
  return lines;
}

}  // namespace vetra
