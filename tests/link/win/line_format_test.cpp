// The Win32 line settings and time-outs of the receiver's port, checked without a device.
#include "link/win/line_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vetra {
namespace {

// What a driver may report before the port sets it: all zeros (XonChar == XoffChar, which
// SetCommState refuses), and every bit set (flow control of every kind on).
std::vector<DCB> ReportedStates() {
  DCB zeros{};
  DCB ones;
  std::memset(&ones, 0xFF, sizeof ones);
  return {zeros, ones};
}

TEST(WinLineFormat, EveryFieldTheDriverChecksIsSetWhateverItReported) {
  for (DCB dcb : ReportedStates()) {
    ASSERT_TRUE(ReceiverLineSettings(dcb, 9600, 8, ONESTOPBIT, NOPARITY));
    EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
    EXPECT_TRUE(dcb.fBinary);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_NE(dcb.XonChar, dcb.XoffChar);
    EXPECT_EQ(dcb.wReserved, 0);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
    EXPECT_FALSE(dcb.fOutxCtsFlow || dcb.fOutxDsrFlow || dcb.fDsrSensitivity);
    EXPECT_FALSE(dcb.fOutX || dcb.fInX);
    EXPECT_FALSE(dcb.fParity || dcb.fErrorChar || dcb.fNull || dcb.fAbortOnError);
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  }
}

TEST(WinLineFormat, TheDriversOwnLimitsStay) {
  DCB dcb{};
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  dcb.EofChar = 0x1A;
  ASSERT_TRUE(ReceiverLineSettings(dcb, 4800, 8, ONESTOPBIT, NOPARITY));
  EXPECT_EQ(dcb.XonLim, 2048);
  EXPECT_EQ(dcb.XoffLim, 512);
  EXPECT_EQ(dcb.EofChar, 0x1A);
}

TEST(WinLineFormat, EncodesRateByteSizeParityAndStopBitsOrRefuses) {
  struct Row {
    int baud, byteSize, stopBits, parity;
    bool accepted;
  };
  const std::vector<Row> rows{
      {4800, 8, ONESTOPBIT, NOPARITY, true},
      {115200, 8, ONESTOPBIT, EVENPARITY, true},
      {9600, 7, TWOSTOPBITS, ODDPARITY, true},
      {2400, 5, ONE5STOPBITS, SPACEPARITY, true},
      {0, 8, 0, 0, false},
      {4800, 9, 0, 0, false},
      {4800, 4, 0, 0, false},
      {4800, 8, 3, 0, false},
      {4800, 8, 0, 5, false},
      {4800, 8, 0, -1, false},
  };
  for (const Row& row : rows) {
    DCB dcb{};
    ASSERT_EQ(ReceiverLineSettings(dcb, row.baud, row.byteSize, row.stopBits, row.parity),
              row.accepted)
        << row.baud << " " << row.byteSize << " " << row.stopBits << " " << row.parity;
    if (!row.accepted) {
      EXPECT_EQ(dcb.XonChar, 0);  // refused: nothing written
      continue;
    }
    EXPECT_EQ(dcb.BaudRate, static_cast<DWORD>(row.baud));
    EXPECT_EQ(dcb.ByteSize, row.byteSize);
    EXPECT_EQ(dcb.StopBits, row.stopBits);
    EXPECT_EQ(dcb.Parity, row.parity);
  }
}

TEST(WinLineFormat, ReadBackMustCarryTheRateAndFrame) {
  DCB wanted{};
  ASSERT_TRUE(ReceiverLineSettings(wanted, 9600, 8, ONESTOPBIT, EVENPARITY));
  DCB now = wanted;
  now.fOutX = TRUE;  // a field the check does not ask about
  EXPECT_TRUE(SameLineFormat(now, wanted));
  now.Parity = NOPARITY;  // a driver that cannot do even parity
  EXPECT_FALSE(SameLineFormat(now, wanted));
  now = wanted;
  now.BaudRate = 9615;
  EXPECT_FALSE(SameLineFormat(now, wanted));
}

TEST(WinLineFormat, ReadsWaitAtMost50MsAndAStuckWriteEnds) {
  const COMMTIMEOUTS at4800 = ReceiverTimeouts(4800);
  EXPECT_EQ(at4800.ReadIntervalTimeout, MAXDWORD);
  EXPECT_EQ(at4800.ReadTotalTimeoutMultiplier, MAXDWORD);
  EXPECT_EQ(at4800.ReadTotalTimeoutConstant, 50u);
  // Twice the 2.08 ms that a byte takes at 4800 baud, rounded up; at least two seconds.
  EXPECT_EQ(at4800.WriteTotalTimeoutMultiplier, 5u);
  EXPECT_EQ(at4800.WriteTotalTimeoutConstant, 2000u);
  EXPECT_EQ(ReceiverTimeouts(115200).WriteTotalTimeoutMultiplier, 1u);
}

}  // namespace
}  // namespace vetra
