#include "app/port_names.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace vetra {
namespace {

namespace fs = std::filesystem;

TEST(PortNames, ListNamesAndDeviceNameTable) {
  EXPECT_EQ(PortName(0), "COM1");
  EXPECT_EQ(PortName(39), "COM40");
  EXPECT_EQ(DeviceName(8), "COM9");
  EXPECT_EQ(DeviceName(9), "\\\\.\\COM10");
  EXPECT_EQ(DeviceName(39), "\\\\.\\COM40");
  EXPECT_EQ(MatchDeviceName("COM9"), 8);
  EXPECT_EQ(MatchDeviceName("\\\\.\\COM10"), 9);
  EXPECT_EQ(MatchDeviceName("COM10"), std::nullopt);
  EXPECT_EQ(MatchDeviceName("com1"), std::nullopt);  // the table itself is upper case
  EXPECT_EQ(MatchPortName("com10"), 9);
  EXPECT_EQ(MatchPortName("\\\\.\\com12"), 11);
  EXPECT_EQ(MatchPortName("COM41"), std::nullopt);
  EXPECT_EQ(MatchPortName("COM01"), std::nullopt);
  EXPECT_TRUE(IsDevicePath("/dev/ttyUSB0"));
  EXPECT_TRUE(IsDevicePath("./link"));
  EXPECT_FALSE(IsDevicePath("\\\\.\\COM10"));
}

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

TEST(PortMap, ScannedDevicesFillTheNamesNotPinned) {
  const PortMap map({"/dev/a", "/dev/b", "/dev/c"}, {{0, "/dev/pinned"}, {2, "/dev/b"}});
  EXPECT_EQ(map.DevicePath(0), "/dev/pinned");
  EXPECT_EQ(map.DevicePath(1), "/dev/a");
  EXPECT_EQ(map.DevicePath(2), "/dev/b");  // pinned here, not listed again
  EXPECT_EQ(map.DevicePath(3), "/dev/c");
  EXPECT_EQ(map.DevicePath(4), "");
  EXPECT_EQ(map.DevicePath(40), "");
  EXPECT_EQ(map.DevicePath(-1), "");
  EXPECT_EQ(map.IndexOf("/dev/c"), 3);
  EXPECT_EQ(map.IndexOf("/dev/none"), std::nullopt);
  EXPECT_EQ(map.DevicePaths().size(), 40u);
}

TEST(PortMap, ResolvesThePortArgumentOfTheTerminalTool) {
  PortMap map({"/dev/ttyUSB0"}, {});
  map.Pin(11, "/dev/pts/3");
  EXPECT_EQ(ResolvePortArgument("COM1", map), "/dev/ttyUSB0");
  EXPECT_EQ(ResolvePortArgument("com12", map), "/dev/pts/3");
  EXPECT_EQ(ResolvePortArgument("\\\\.\\COM12", map), "/dev/pts/3");
  EXPECT_EQ(ResolvePortArgument("COM2", map), "");  // a name with no device behind it
  EXPECT_EQ(ResolvePortArgument("ttyUSB0", map), "");
  EXPECT_EQ(ResolvePortArgument("/dev/ttyACM4", map), "/dev/ttyACM4");
}

}  // namespace
}  // namespace vetra
