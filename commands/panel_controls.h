#pragma once
// The named controls of a command's panel, as references into the panel structs: the terminal
// sets them from NAME=VALUE arguments, and the desktop program can copy its widgets (found by the
// same objectName) into the structs and back.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/panels.h"

namespace vetra {

enum class ControlKind { Text, Choice, Check };

struct ControlRef {
  std::string name;
  ControlKind kind = ControlKind::Text;
  std::string* text = nullptr;
  size_t maxLength = 0;  // characters the edit accepts; 0: no limit
  int* choice = nullptr;
  std::vector<std::string> items;  // a choice's items, position 0 first
  bool* check = nullptr;
  bool hidden = false;  // not shown at the access level (cannot be changed by the user)
};

// The controls of the panel of catalogue command `number` (pnSetDatum's variant per command).
// Empty for commands whose panel has no controls of its own here.
std::vector<ControlRef> PanelControls(Panels& panels, int number, int accessLevel);

// Sets a control from a text: the text typed (Text), an item text or position (Choice: exact item
// text, then without regard to case and surrounding blanks, then a position), on/off (Check; also
// 1/0, true/false). Returns an error text, or nullopt on success.
std::optional<std::string> SetControl(const ControlRef& control, std::string_view value);

}  // namespace vetra
