// The /dev scan of POSIX systems, on a folder of stand-in device files.
#include "app/posix/serial_devices.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace vetra {
namespace {

namespace fs = std::filesystem;

class DeviceScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("vetra-dev-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "serial" / "by-id");
  }
  void TearDown() override { fs::remove_all(root); }
  void Make(const std::string& name) { std::ofstream(root / name) << ""; }
  std::string P(const std::string& name) const { return (root / name).string(); }
  fs::path root;
};

TEST_F(DeviceScanTest, ByIdFirstThenNumberedDevicesEachOnce) {
  for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyUSB0", "ttyACM0", "ttyS0", "ttyS1", "ttyS10",
                           "ttyS2", "ttySX", "tty5", "console"}) {
    Make(name);
  }
  fs::create_symlink("../../ttyUSB2", root / "serial" / "by-id" / "usb-Vetra_K900-if00");
  std::set<std::string> probed;
  const auto answers = [&](const std::string& path) {
    probed.insert(path);
    return path != P("ttyS1");  // no UART behind ttyS1
  };
  const std::vector<std::string> found = ScanSerialDevices(root.string(), answers);
  const std::vector<std::string> expected{
      P("serial/by-id/usb-Vetra_K900-if00"),  // ttyUSB2 under its stable name, not again
      P("ttyUSB0"),
      P("ttyUSB10"),
      P("ttyACM0"),
      P("ttyS0"),
      P("ttyS2"),
      P("ttyS10"),
  };
  EXPECT_EQ(found, expected);
  // Only the ttyS names are opened to see whether they answer.
  EXPECT_EQ(probed, (std::set<std::string>{P("ttyS0"), P("ttyS1"), P("ttyS2"), P("ttyS10")}));
}

TEST_F(DeviceScanTest, NothingFoundInAnEmptyOrMissingFolder) {
  EXPECT_TRUE(ScanSerialDevices(root.string(), [](const std::string&) { return true; }).empty());
  EXPECT_TRUE(ScanSerialDevices((root / "missing").string()).empty());
}

}  // namespace
}  // namespace vetra
