#pragma once
// The controls of a command's panel bound to the values they hold: the terminal sets them from
// NAME=VALUE arguments, and the desktop program copies its widgets (found by the same objectName)
// into the panel structs and back. What each control is comes from the command's catalogue row.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "commands/command_descriptor.h"
#include "commands/panels.h"

namespace vetra {

struct ControlRef {
  const ControlDescriptor* descriptor = nullptr;
  ValueRef value;
  std::vector<std::string> items;  // a choice's items, position 0 first
  bool hidden = false;             // not shown at the access level (the user cannot change it)

  std::string name() const { return std::string(descriptor->name); }
  ControlKind kind() const { return descriptor->kind; }
};

// Commands whose panel, controls and encoder live outside this library (the trace logger's three
// commands) plug in here.
class ICommandExtension {
 public:
  virtual ~ICommandExtension() = default;
  // The controls of catalogue command `number`'s panel, bound to the extension's panel values.
  virtual std::vector<ControlRef> Controls(int number, int accessLevel) = 0;
  // The command's frames and effects (the Encoder contract of command_descriptor.h).
  virtual Encoded Encode(const EncodeInput& input) = 0;
};

// Binds the descriptors to the panel set they belong to (`panelSet` is what their binders expect).
std::vector<ControlRef> BindControls(std::span<const ControlDescriptor> descriptors, void* panelSet,
                                     int accessLevel);

// The controls of catalogue command `number`: its row's, bound to `panels`, or the extension's.
std::vector<ControlRef> CommandControls(int number, Panels& panels, ICommandExtension* extension,
                                        int accessLevel);

// Sets a control from a text: the text typed (edits, taken as they are: whether the control
// accepts it is commands/control_values.h's), an item text or position (Choice: exact item text,
// then without regard to case and surrounding blanks, then a position), on/off (Check; also 1/0,
// true/false). Returns an error text, or nullopt on success.
std::optional<std::string> SetControl(const ControlRef& control, std::string_view value);

}  // namespace vetra
