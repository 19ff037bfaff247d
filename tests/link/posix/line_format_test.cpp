#include "link/posix/line_format.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace vetra {
namespace {

TEST(LineFormat, EncodesByteSizeParityAndStopBits) {
  struct Row {
    int byteSize, stopBits, parity;
    tcflag_t expected;  // of CSIZE | PARENB | PARODD | kStickParity | CSTOPB
  };
  const std::vector<Row> rows{
      {8, 0, 0, CS8},
      {8, 0, 2, CS8 | PARENB},
      {7, 0, 1, CS7 | PARENB | PARODD},
      {8, 0, 3, CS8 | PARENB | PARODD | kStickParity},
      {8, 0, 4, CS8 | PARENB | kStickParity},
      {8, 2, 0, CS8 | CSTOPB},
      {8, 1, 0, CS8 | CSTOPB},  // one and a half: two
      {5, 0, 0, CS5},
      {6, 0, 0, CS6},
  };
  constexpr tcflag_t kFrame = CSIZE | PARENB | PARODD | kStickParity | CSTOPB;
  for (const Row& row : rows) {
    termios t{};
    t.c_cflag = kFrame | CLOCAL;  // whatever was there before is replaced; the rest is kept
    ASSERT_TRUE(EncodeLineFormat(t, 4800, row.byteSize, row.stopBits, row.parity));
    EXPECT_EQ(t.c_cflag & kFrame, row.expected)
        << row.byteSize << " " << row.stopBits << " " << row.parity;
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
    EXPECT_EQ(cfgetospeed(&t), B4800);
    EXPECT_EQ(cfgetispeed(&t), B4800);
  }
}

TEST(LineFormat, AcceptsEveryTableRateAndRefusesOthers) {
  for (int rate : {2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 921600}) {
    termios t{};
    EXPECT_TRUE(EncodeLineFormat(t, rate, 8, 0, 0)) << rate;
  }
  struct Bad {
    int rate, byteSize, stopBits, parity;
  };
  for (const Bad& bad : std::vector<Bad>{{12345, 8, 0, 0},
                                         {0, 8, 0, 0},
                                         {-9600, 8, 0, 0},
                                         {9600, 9, 0, 0},
                                         {9600, 4, 0, 0},
                                         {9600, 8, 3, 0},
                                         {9600, 8, 0, 5},
                                         {9600, 8, -1, 0}}) {
    termios t{};
    errno = 0;
    EXPECT_FALSE(EncodeLineFormat(t, bad.rate, bad.byteSize, bad.stopBits, bad.parity))
        << bad.rate << " " << bad.byteSize << " " << bad.stopBits << " " << bad.parity;
    EXPECT_EQ(errno, EINVAL);
  }
}

}  // namespace
}  // namespace vetra
