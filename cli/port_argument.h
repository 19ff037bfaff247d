#pragma once
// --port NAME|PATH of the terminal tool: a device path as given, or the device a port name stands
// for, COM1..COM40 (any case, or the "\\.\COMn" form), mapped as the desktop program maps it:
// the [Ports] section of its settings file (vetra-viewer.INI beside this program, or in the
// user's configuration folder), then the serial devices present now.
//
// On Windows every COM name works: COM1..COM256 and "\\.\COMn" (the device itself unless the
// settings file pins the name), "//./COMn" (a path in the device namespace, taken as it is), and
// a name of the system's list of serial ports that is no COMn (a virtual port driver's CNCA0),
// in any letter case.

#include <string>

namespace vetra::cli {

// Empty when the name stands for no device.
std::string DevicePathForArgument(const std::string& argument);

}  // namespace vetra::cli
