// The Win32 line settings and time-outs of the receiver's port, checked without a device.
#include "link/win/line_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace vetra {
namespace {

TEST(WinLineFormat, FromScratchRawWithDtrAndRtsOnAndNoFlowControl) {
  const DCB dcb = RawLineSettings();
  EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
  EXPECT_TRUE(dcb.fBinary);
  EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
  EXPECT_FALSE(dcb.fOutxCtsFlow || dcb.fOutxDsrFlow || dcb.fDsrSensitivity);
  EXPECT_FALSE(dcb.fOutX || dcb.fInX);
  EXPECT_FALSE(dcb.fParity || dcb.fErrorChar || dcb.fNull || dcb.fAbortOnError);
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
    DCB dcb = RawLineSettings();
    ASSERT_EQ(EncodeLineFormat(dcb, row.baud, row.byteSize, row.stopBits, row.parity), row.accepted)
        << row.baud << " " << row.byteSize << " " << row.stopBits << " " << row.parity;
    if (!row.accepted) continue;
    EXPECT_EQ(dcb.BaudRate, static_cast<DWORD>(row.baud));
    EXPECT_EQ(dcb.ByteSize, row.byteSize);
    EXPECT_EQ(dcb.StopBits, row.stopBits);
    EXPECT_EQ(dcb.Parity, row.parity);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));  // the rest stays
  }
}

TEST(WinLineFormat, ReadBackMustCarryTheRateAndFrame) {
  DCB wanted = RawLineSettings();
  ASSERT_TRUE(EncodeLineFormat(wanted, 9600, 8, ONESTOPBIT, EVENPARITY));
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
