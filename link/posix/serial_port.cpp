// TSerialPort on a POSIX terminal device (termios).
//
// How the receiver's port operations map onto the terminal device:
//   open the device              -> open(O_RDWR|O_NOCTTY|O_NONBLOCK), flock(LOCK_EX|LOCK_NB);
//                                   a missing or busy device returns false without a message
//   request the queue sizes      -> the device must be a terminal (tcgetattr); the sizes are kept
//                                   but a terminal's queues are the driver's own
//   purge both directions        -> tcflush(TCIOFLUSH)
//   line settings                -> tcsetattr, read back and compared
//   pending line error           -> none: raw mode hands errors on as bytes, nothing to clear
//   queued count, bounded wait   -> FIONREAD, poll (50 ms)
// Linux-only calls stay inside #ifdef __linux__, so that the layer builds on macOS too.
#include "link/serial_port.h"

#include "link/posix/line_format.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vetra {
namespace {

constexpr int kReadWaitMs = 50;

constexpr tcflag_t kFramingFlags = CSIZE | PARENB | PARODD | kStickParity;

// Applies t and reads the rate back (tcsetattr succeeds when any one change took). A line that
// decides its own framing keeps it: a pseudo-terminal, the virtual receiver's line, always
// carries 8 data bits without parity and refuses a request whose only change is to those. The
// rate must take.
bool ApplyAndCheck(int fd, termios t) {
  if (::tcsetattr(fd, TCSANOW, &t) != 0) {
    termios now{};
    if (errno != EINVAL || ::tcgetattr(fd, &now) != 0) return false;
    errno = EINVAL;
    if ((now.c_cflag & kFramingFlags) == (t.c_cflag & kFramingFlags)) return false;
    t.c_cflag = (t.c_cflag & ~kFramingFlags) | (now.c_cflag & kFramingFlags);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return false;
  }
  termios now{};
  if (::tcgetattr(fd, &now) != 0) return false;
  if (cfgetospeed(&now) != cfgetospeed(&t) || cfgetispeed(&now) != cfgetispeed(&t)) {
    errno = EINVAL;
    return false;
  }
  return true;
}

// The message texts that carry the system's error number.
std::string FormatCode(const char* format, int code) {
  char text[64];
  std::snprintf(text, sizeof text, format, code);
  return text;
}

// Waits for one of events or a hang-up. Returns false on a hang-up, a device error or a poll
// failure; otherwise true (ready or timed out).
// What a hang-up (or a poll error) tells the user: the system gives no error number for it.
constexpr char kHungUp[] = "the line hung up";

bool WaitFor(int fd, short events, int timeoutMs, bool& ready) {
  pollfd p{fd, events, 0};
  ready = false;
  int r;
  do {
    r = poll(&p, 1, timeoutMs);
  } while (r < 0 && errno == EINTR);
  if (r < 0) return false;
  if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return false;
  ready = (p.revents & events) != 0;
  return true;
}

}  // namespace

bool TSerialPort::Open() {
  if (isOpen()) Close();
  openFailure_ = OpenFailure::None;
  openReason_.clear();
  const int fd = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    // Missing, no permission, or held with TIOCEXCL by another (EBUSY).
    const int code = errno;
    const OpenFailure kind = code == EACCES || code == EPERM ? OpenFailure::Denied
                             : code == EBUSY                 ? OpenFailure::InUse
                             : code == ENOENT || code == ENODEV || code == ENXIO
                                 ? OpenFailure::Missing
                                 : OpenFailure::Other;
    return OpenFailed(kind, std::strerror(code));
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);  // another program (or another port object) has it
    return OpenFailed(OpenFailure::InUse, std::strerror(EBUSY));
  }
  handle_ = fd;

  termios probe{};
  if (inputQueueSize_ <= 0 || outputQueueSize_ <= 0 || ::tcgetattr(fd, &probe) != 0) {
    Report("Setup: SetupComm");  // not a terminal device
    return false;
  }
  // Keeps out programs that open without flock; root is not kept out by it.
  ::ioctl(fd, TIOCEXCL);

  if (::tcflush(fd, TCIOFLUSH) != 0) {
    Report("Setup: PurgeComm");
    return false;
  }
  if (ApplyLineSettings(true) != LineResult::Ok) {
    Report(FormatCode("Setup: SetCommState %d", errno));
    return false;
  }

  // DTR and RTS on. A pseudo-terminal has no modem lines and refuses; nothing is lost by that.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd, TIOCMBIS, &lines);
  return true;
}

TSerialPort::LineResult TSerialPort::ApplyLineSettings(bool fromScratch) {
  const int fd = static_cast<int>(handle_.load());
  termios t{};
  if (fromScratch) {
    // Raw bytes both ways, receiver enabled, modem control lines ignored, no flow control, no
    // parity checking and no error character: what arrives is handed on unchanged.
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
  } else if (::tcgetattr(fd, &t) != 0) {
    return LineResult::ReadFailed;
  }
  if (!EncodeLineFormat(t, baudRate_, byteSize_, stopBits_, parity_) || !ApplyAndCheck(fd, t)) {
    return LineResult::ApplyFailed;
  }
  return LineResult::Ok;
}

bool TSerialPort::Close() {
  const int fd = static_cast<int>(handle_.exchange(kNoDevice));
  if (fd < 0) return true;
  // A pseudo-terminal keeps the exclusive flag after its slave is closed: clear it, or the next
  // open by an ordinary user fails.
  ::ioctl(fd, TIOCNXCL);
  return ::close(fd) == 0;
}

bool TSerialPort::Reset(int baudRate, int byteSize, int stopBits, int parity) {
  if (baudRate != 0) baudRate_ = baudRate;
  parity_ = evenParityForced_ ? kParityEven : parity;
  byteSize_ = byteSize;
  stopBits_ = stopBits;
  switch (ApplyLineSettings(false)) {
    case LineResult::ReadFailed:
      Report(FormatCode("Reset: GetCommState %d", errno));
      return false;
    case LineResult::ApplyFailed:
      Report("Reset: SetCommState");
      return false;
    case LineResult::Ok:
      break;
  }
  if (::tcflush(static_cast<int>(handle_.load()), TCIOFLUSH) != 0) {
    Report("Reset: PurgeComm");
    return false;
  }
  return true;
}

int TSerialPort::txData(const uint8_t* bytes, int count) {
  const int fd = static_cast<int>(handle_.load());
  int written = 0;
  while (written < count) {
    const ssize_t n = ::write(fd, bytes + written, static_cast<size_t>(count - written));
    if (n > 0) {
      written += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) throw PortWriteError("WriteFile Failed 1.");
    // The driver's queue is full: wait for room. Without flow control the line drains at its
    // rate, so a queue that makes no progress for twice the time the rest needs (at least two
    // seconds) is stuck, and the caller hears of it instead of hanging.
    const int rate = std::max(1, baudRate_.load());
    const long restMs = static_cast<long>(count - written) * 10L * 1000L / rate;
    const int waitMs = static_cast<int>(std::clamp(2 * restMs, 2000L, 60'000L));
    bool ready = false;
    if (!WaitFor(fd, POLLOUT, waitMs, ready) || !ready) {
      throw PortWriteError("WaitForSingleObject failed.");
    }
  }
  return written;
}

int TSerialPort::rxData(uint8_t* buffer, int maxCount) {
  const int fd = static_cast<int>(handle_.load());
  if (fd < 0) return ReadFailed("the port is closed");
  int queued = 0;
  if (::ioctl(fd, FIONREAD, &queued) != 0) return ReadFailed(std::strerror(errno));
  const int request = std::min(maxCount, queued);
  bool ready = false;
  if (request <= 0) {
    // Nothing to read; but a device that has gone (a USB receiver unplugged, the far end of a
    // pseudo-terminal closed) shows only as a hang-up here.
    return WaitFor(fd, POLLIN, 0, ready) ? 0 : ReadFailed(kHungUp);
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    const ssize_t n = ::read(fd, buffer, static_cast<size_t>(request));
    if (n > 0) return static_cast<int>(n);
    if (n == 0) return ReadFailed(kHungUp);  // end of file
    if (errno == EINTR) continue;
    if (errno != EAGAIN)
      return ReadFailed(std::strerror(errno));  // EIO, ENXIO: the device has gone
    // Counted but not yet readable: wait the bounded time once, then report what came.
    if (!WaitFor(fd, POLLIN, kReadWaitMs, ready)) return ReadFailed(kHungUp);
    if (!ready) return 0;
  }
  return 0;
}

}  // namespace vetra
