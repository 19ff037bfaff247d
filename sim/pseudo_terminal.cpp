#include "sim/pseudo_terminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace vetra::sim {

namespace {
struct SpeedRow {
  speed_t speed;
  int baud;
};
constexpr SpeedRow kSpeeds[] = {{B1200, 1200},   {B2400, 2400},     {B4800, 4800},
                                {B9600, 9600},   {B19200, 19200},   {B38400, 38400},
                                {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};

std::string Describe(const char* what) { return std::string(what) + ": " + std::strerror(errno); }
}  // namespace

int BaudOfSpeed(unsigned speed) {
  for (const SpeedRow& row : kSpeeds) {
    if (row.speed == speed) return row.baud;
  }
  return 0;
}

unsigned SpeedOfBaud(int baud) {
  for (const SpeedRow& row : kSpeeds) {
    if (row.baud == baud) return row.speed;
  }
  return B9600;
}

PseudoTerminal::~PseudoTerminal() { Close(); }

bool PseudoTerminal::Open(int baud) {
  Close();
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master_ < 0) {
    error_ = Describe("posix_openpt");
    return false;
  }
  ::fcntl(master_, F_SETFD, FD_CLOEXEC);
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error_ = Describe("grantpt/unlockpt");
    Close();
    return false;
  }
  char name[128];
  if (::ptsname_r(master_, name, sizeof name) != 0) {
    error_ = Describe("ptsname");
    Close();
    return false;
  }
  slavePath_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave_ < 0) {
    error_ = Describe("open slave");
    Close();
    return false;
  }
  termios t{};
  if (::tcgetattr(slave_, &t) == 0) {
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&t, SpeedOfBaud(baud));
    ::cfsetospeed(&t, SpeedOfBaud(baud));
    ::tcsetattr(slave_, TCSANOW, &t);
  }
  return true;
}

bool PseudoTerminal::MakeLink(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      error_ = path + ": exists and is not a symbolic link";
      return false;
    }
    ::unlink(path.c_str());
  }
  if (::symlink(slavePath_.c_str(), path.c_str()) != 0) {
    error_ = Describe(("symlink " + path).c_str());
    return false;
  }
  linkPath_ = path;
  return true;
}

void PseudoTerminal::Close() {
  if (!linkPath_.empty()) {
    // Only remove the link while it still points at this terminal.
    char target[256];
    const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<size_t>(n)) == slavePath_) {
      ::unlink(linkPath_.c_str());
    }
    linkPath_.clear();
  }
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = -1;
  master_ = -1;
}

int PseudoTerminal::hostBaud() const {
  termios t{};
  if (slave_ < 0 || ::tcgetattr(slave_, &t) != 0) return 0;
  return BaudOfSpeed(::cfgetospeed(&t));
}

int PseudoTerminal::hostQueued() const {
  int queued = 0;
  if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &queued) != 0) return 0;
  return queued;
}

}  // namespace vetra::sim
