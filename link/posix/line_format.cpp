#include "link/posix/line_format.h"

#include <cerrno>

namespace vetra {
namespace {

struct SpeedCode {
  int bitsPerSecond;
  speed_t code;
};

// The rates every POSIX terminal accepts through cfsetspeed, then Linux's higher ones.
constexpr SpeedCode kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},
#ifdef __linux__
    {460800, B460800},   {500000, B500000},   {576000, B576000},   {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
    {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
#endif
};

bool SpeedCodeFor(int bitsPerSecond, speed_t& code) {
  for (const auto& s : kSpeeds) {
    if (s.bitsPerSecond == bitsPerSecond) {
      code = s.code;
      return true;
    }
  }
  return false;
}

}  // namespace

bool EncodeLineFormat(termios& t, int baudRate, int byteSize, int stopBits, int parity) {
  speed_t speed{};
  tcflag_t size{};
  switch (byteSize) {
    case 5:
      size = CS5;
      break;
    case 6:
      size = CS6;
      break;
    case 7:
      size = CS7;
      break;
    case 8:
      size = CS8;
      break;
    default:
      errno = EINVAL;
      return false;
  }
  const int highestParity = kStickParity != 0 ? 4 : 2;
  if (!SpeedCodeFor(baudRate, speed) || parity < 0 || parity > highestParity || stopBits < 0 ||
      stopBits > 2) {
    errno = EINVAL;
    return false;
  }
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | kStickParity | CSTOPB);
  t.c_cflag |= size;
  switch (parity) {
    case 1:
      t.c_cflag |= PARENB | PARODD;
      break;  // odd
    case 2:
      t.c_cflag |= PARENB;
      break;  // even
    case 3:
      t.c_cflag |= PARENB | kStickParity | PARODD;
      break;  // mark
    case 4:
      t.c_cflag |= PARENB | kStickParity;
      break;  // space
    default:
      break;  // none
  }
  if (stopBits != 0) t.c_cflag |= CSTOPB;  // one and a half is not offered: two
  return cfsetspeed(&t, speed) == 0;
}

}  // namespace vetra
