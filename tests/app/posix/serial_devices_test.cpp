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

// A stand-in /sys: an FTDI adapter behind ttyUSB0 (its product string two folders above the
// tty), a ttyACM0 of a device without one, ttyS0 with a UART and ttyS1 without.
TEST_F(DeviceScanTest, SysfsGivesTheUsbProductAndWhichTtySHaveAUart) {
  const fs::path sys = root / "sys";
  const fs::path usb = sys / "devices" / "pci0000:00" / "usb1" / "1-1";
  fs::create_directories(usb / "1-1:1.0" / "ttyUSB0");
  fs::create_directories(sys / "devices" / "usb1" / "2-1" / "2-1:1.0");
  std::ofstream(usb / "product") << "FT232R USB UART\n";
  fs::create_directories(sys / "class" / "tty");
  for (const char* name : {"ttyUSB0", "ttyACM0", "ttyS0", "ttyS1"}) {
    Make(name);
    fs::create_directories(sys / "class" / "tty" / name);
  }
  fs::create_directory_symlink(usb / "1-1:1.0" / "ttyUSB0", sys / "class/tty/ttyUSB0/device");
  fs::create_directory_symlink(sys / "devices/usb1/2-1/2-1:1.0", sys / "class/tty/ttyACM0/device");
  std::ofstream(sys / "class/tty/ttyS0/type") << "4\n";
  std::ofstream(sys / "class/tty/ttyS1/type") << "0\n";
  fs::create_symlink("../../ttyUSB0", root / "serial" / "by-id" / "usb-FTDI_FT232R-if00-port0");

  const std::vector<SerialDevice> found = FindSerialDevicesUnder(root.string(), sys.string());
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].path, P("serial/by-id/usb-FTDI_FT232R-if00-port0"));
  EXPECT_EQ(found[0].description, "FT232R USB UART");
  EXPECT_EQ(found[1].path, P("ttyACM0"));
  EXPECT_EQ(found[1].description, "");
  EXPECT_EQ(found[2].path, P("ttyS0"));

  const PortMap map = PortMap::WithDescriptions(found, {});
  EXPECT_EQ(map.Labels()[0], fs::canonical(P("ttyUSB0")).string() + " (FT232R USB UART)");
}

}  // namespace
}  // namespace vetra
