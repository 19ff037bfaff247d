#pragma once
// The receiver line's frame format in termios terms, apart from TSerialPort so that it can be
// checked without a device (a pseudo-terminal ignores byte size and parity).

#include <termios.h>

namespace vetra {

// Mark and space parity ("stick" parity) exist only on Linux; elsewhere those two are refused.
#ifdef __linux__
inline constexpr tcflag_t kStickParity = CMSPAR;
#else
inline constexpr tcflag_t kStickParity = 0;
#endif

// Writes rate (bits per second), byte size (5..8), stop bits (0 one, 1 or 2 two) and parity
// (0 none, 1 odd, 2 even, 3 mark, 4 space) into t, leaving its other flags. False, with errno
// EINVAL, for a value the terminal cannot take (a rate outside the system's list included).
bool EncodeLineFormat(termios& t, int baudRate, int byteSize, int stopBits, int parity);

}  // namespace vetra
