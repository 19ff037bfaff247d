// The message of a port in use names the process holding the device, where Linux tells.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "app/receiver_port.h"

namespace vetra {
namespace {

#ifdef __linux__
TEST(PortInUse, TheMessageNamesTheProgramHoldingTheDevice) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string slave = ptsname(master);
  const int held = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(held, 0);
  std::string comm;
  std::getline(std::ifstream("/proc/self/comm"), comm);
  EXPECT_EQ(
      PortOpenProblem("COM3", slave, TSerialPort::OpenFailure::InUse, "Device or resource busy"),
      "COM3 (" + slave + "): Device or resource busy. The port is in use by " + comm + " (pid " +
          std::to_string(::getpid()) + ").");
  ::close(held);
  ::close(master);
}
#endif

}  // namespace
}  // namespace vetra
