#pragma once
// The receiver line's frame format and time-outs in Win32 terms (DCB, COMMTIMEOUTS), apart from
// TSerialPort so that they can be checked without a device.

#include <windows.h>

namespace vetra {

// The line settings built from scratch: binary, DTR and RTS on, no flow control in either
// direction, no parity checking, no error or null-byte handling, never aborting on an error.
DCB RawLineSettings();

// Writes rate (bits per second), byte size (5..8), stop bits (0 one, 1 one and a half, 2 two)
// and parity (0 none, 1 odd, 2 even, 3 mark, 4 space; Win32's own codes) into dcb, leaving its
// other fields. False for a value the device cannot take.
bool EncodeLineFormat(DCB& dcb, int baudRate, int byteSize, int stopBits, int parity);

// True when now carries the rate and frame format that wanted asked for (the read-back check).
bool SameLineFormat(const DCB& now, const DCB& wanted);

// A read returns at once with what is queued, or waits at most readWaitMs for the first byte.
// A write may take twice the time its bytes need at baudRate, and at least two seconds, before
// it counts as stuck.
COMMTIMEOUTS ReceiverTimeouts(int baudRate, DWORD readWaitMs = 50);

}  // namespace vetra
