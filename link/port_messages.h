#pragma once
// The serial port's own message texts ("Setup: SetupComm", "Setup: SetCommState 22",
// "Reset: GetCommState 5", "WriteFile Failed 1." ...) are the desktop program's message boxes.
// A terminal, and the reason a port did not open, say the same in plain words with the system's
// reason for the code the text carries: no name of a platform function reaches the user there.

#include <string>

namespace vetra {

// "the device does not take the line settings (Invalid argument)" for "Setup: SetCommState 22";
// a text that is none of the port's own comes back unchanged.
std::string PlainPortMessage(const std::string& text);

// True for a text that the port shows while it is being opened ("Setup: ..."): the reason the
// open failed carries it (TSerialPort::openReason), so a terminal says it once, there.
bool IsPortSetupMessage(const std::string& text);

}  // namespace vetra
