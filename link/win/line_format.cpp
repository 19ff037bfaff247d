#include "link/win/line_format.h"

namespace vetra {

DCB RawLineSettings() {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  dcb.fBinary = TRUE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  // Everything else stays zero: no CTS, DSR or XON/XOFF flow control, no parity checking, no
  // error character, nulls kept, and a line error never aborts the transfers (it is cleared by
  // ClearCommError before each one).
  return dcb;
}

bool EncodeLineFormat(DCB& dcb, int baudRate, int byteSize, int stopBits, int parity) {
  if (baudRate <= 0 || byteSize < 5 || byteSize > 8 || stopBits < ONESTOPBIT ||
      stopBits > TWOSTOPBITS || parity < NOPARITY || parity > SPACEPARITY) {
    return false;
  }
  dcb.BaudRate = static_cast<DWORD>(baudRate);
  dcb.ByteSize = static_cast<BYTE>(byteSize);
  dcb.StopBits = static_cast<BYTE>(stopBits);
  dcb.Parity = static_cast<BYTE>(parity);
  return true;
}

bool SameLineFormat(const DCB& now, const DCB& wanted) {
  return now.BaudRate == wanted.BaudRate && now.ByteSize == wanted.ByteSize &&
         now.StopBits == wanted.StopBits && now.Parity == wanted.Parity;
}

COMMTIMEOUTS ReceiverTimeouts(int baudRate, DWORD readWaitMs) {
  COMMTIMEOUTS t{};
  // MAXDWORD in both read fields with a constant: "return what is queued, else wait for the first
  // byte up to the constant".
  t.ReadIntervalTimeout = MAXDWORD;
  t.ReadTotalTimeoutMultiplier = MAXDWORD;
  t.ReadTotalTimeoutConstant = readWaitMs;
  // Ten bits a byte; twice that time, rounded up.
  const DWORD rate = baudRate > 0 ? static_cast<DWORD>(baudRate) : 1;
  t.WriteTotalTimeoutMultiplier = (2 * 10 * 1000 + rate - 1) / rate;
  t.WriteTotalTimeoutConstant = 2000;
  return t;
}

}  // namespace vetra
