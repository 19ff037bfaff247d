// The program holding a serial device, found in a /proc tree: a fake one with the usual holder,
// and the real one with this test's own process holding a pseudo-terminal open.
#include "link/device_holder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_path.h"

namespace vetra {
namespace {

namespace fs = std::filesystem;

class FakeProc : public ::testing::Test {
 protected:
  void SetUp() override {
    root = test::UniqueTempPath("vetra-proc");
    fs::remove_all(root);
    fs::create_directories(root / "proc");
    std::ofstream(root / "ttyUSB0") << "";
    std::ofstream(root / "other") << "";
  }
  void TearDown() override { fs::remove_all(root); }
  // A process with one open file: the link fd/3 to target.
  void Process(const std::string& pid, const std::string& comm, const fs::path& target) {
    const fs::path process = root / "proc" / pid;
    fs::create_directories(process / "fd");
    std::ofstream(process / "comm") << comm << "\n";
    fs::create_symlink(target, process / "fd" / "3");
  }
  fs::path root;
};

TEST_F(FakeProc, NamesTheLowestProcessHoldingTheDeviceThroughAnyLink) {
  Process("1200", "gpsd", root / "ttyUSB0");
  Process("812", "ModemManager", root / "ttyUSB0");
  Process("77", "bash", root / "other");
  Process("self", "vetra", root / "ttyUSB0");  // no process id: not a process
  fs::create_symlink(root / "ttyUSB0", root / "by-id");
  EXPECT_EQ(DeviceHolder((root / "by-id").string(), (root / "proc").string()),
            "ModemManager (pid 812)");
  EXPECT_EQ(DeviceHolder((root / "none").string(), (root / "proc").string()), "");
  EXPECT_EQ(DeviceHolder((root / "ttyUSB0").string(), (root / "no-proc").string()), "");
}

TEST_F(FakeProc, NobodyHoldsAnUnopenedDevice) {
  Process("77", "bash", root / "other");
  EXPECT_EQ(DeviceHolder((root / "ttyUSB0").string(), (root / "proc").string()), "");
}

#ifdef __linux__
TEST(DeviceHolder, FindsThisProcessHoldingAPseudoTerminal) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string slave = ptsname(master);
  const int held = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(held, 0);
  std::string comm;
  std::getline(std::ifstream("/proc/self/comm"), comm);
  EXPECT_EQ(DeviceHolder(slave), comm + " (pid " + std::to_string(::getpid()) + ")");
  ::close(held);
  ::close(master);
}
#endif

}  // namespace
}  // namespace vetra
