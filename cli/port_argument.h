#pragma once
// --port NAME|PATH of the terminal tool: a device path as given, or the device a port name stands
// for, COM1..COM40 (any case, or the "\\.\COMn" form), mapped as the desktop program maps it:
// the [Ports] section of its settings file (vetra-viewer.INI beside this program, or in the
// user's configuration folder), then the serial devices present now.

#include <string>

namespace vetra::cli {

// Empty when the name stands for no device.
std::string DevicePathForArgument(const std::string& argument);

}  // namespace vetra::cli
