#include "link/win/line_format.h"

namespace vetra {

bool ReceiverLineSettings(DCB& reported, int baudRate, int byteSize, int stopBits, int parity) {
  if (baudRate <= 0 || byteSize < 5 || byteSize > 8 || stopBits < ONESTOPBIT ||
      stopBits > TWOSTOPBITS || parity < NOPARITY || parity > SPACEPARITY) {
    return false;
  }
  DCB& dcb = reported;
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = static_cast<DWORD>(baudRate);
  dcb.fBinary = TRUE;   // the only mode Win32 supports
  dcb.fParity = FALSE;  // a parity error is not checked: the bytes are handed on as they came
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = TRUE;  // no XOFF is ever taken as one: sending goes on
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;  // null bytes are data of binary frames
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  // Line errors are cleared by ClearCommError before each transfer; they never abort one.
  dcb.fAbortOnError = FALSE;
  dcb.fDummy2 = 0;
  dcb.wReserved = 0;  // must be zero
  dcb.XonChar = kXonChar;
  dcb.XoffChar = kXoffChar;
  dcb.ByteSize = static_cast<BYTE>(byteSize);
  dcb.Parity = static_cast<BYTE>(parity);
  dcb.StopBits = static_cast<BYTE>(stopBits);
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
