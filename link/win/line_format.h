#pragma once
// The receiver line's frame format and time-outs in Win32 terms (DCB, COMMTIMEOUTS), apart from
// TSerialPort so that they can be checked without a device.

#include <windows.h>

namespace vetra {

// The XON and XOFF characters a DCB must carry even with software flow control off: Win32's
// SetCommState fails when the two are equal (a DCB of zeros has both 0), as real drivers check.
inline constexpr char kXonChar = 0x11;
inline constexpr char kXoffChar = 0x13;

// The line settings of the receiver's port, built on what the driver reported (GetCommState), so
// that the driver's own values of the fields the port does not care about (XonLim, XoffLim,
// EofChar, EvtChar, ErrorChar) stay. Every field the port depends on is set: binary mode, DTR and
// RTS on, no flow control in either direction (no CTS, DSR or XON/XOFF), XON and XOFF characters
// 0x11 and 0x13, no parity checking, no error character or null stripping, never aborting on an
// error; then the rate (bits per second), byte size (5..8), stop bits (0 one, 1 one and a half,
// 2 two) and parity (0 none, 1 odd, 2 even, 3 mark, 4 space; Win32's own codes). False for a value
// the device cannot take; reported is then unchanged.
bool ReceiverLineSettings(DCB& reported, int baudRate, int byteSize, int stopBits, int parity);

// True when now carries the rate and frame format that wanted asked for (the read-back check).
bool SameLineFormat(const DCB& now, const DCB& wanted);

// A read returns at once with what is queued, or waits at most readWaitMs for the first byte.
// A write may take twice the time its bytes need at baudRate, and at least two seconds, before
// it counts as stuck.
COMMTIMEOUTS ReceiverTimeouts(int baudRate, DWORD readWaitMs = 50);

}  // namespace vetra
