#pragma once
// What `vetra send --list` and `vetra encode --list` print, from the catalogue's rows: the commands
// listed at an access level with their numbers, and one command's controls with their kinds, the
// values they take and what the panel holds before anything is typed.

#include <string>
#include <vector>

#include "commands/panel_controls.h"

namespace vetra {

// " 5  Query Firmware Revision (05h)", one line a command listed at accessLevel.
std::vector<std::string> CommandListLines(int accessLevel);

// "Set DOP mask (0Fh), number 15, answered by ACK" and then one line a control, bound to the
// panel values a fresh form holds: "  edGdop  integer: a whole number from 0 to 255; default 0".
std::vector<std::string> ControlListLines(int number, const std::vector<ControlRef>& controls,
                                          int accessLevel);

}  // namespace vetra
