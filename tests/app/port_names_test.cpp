#include "app/port_names.h"

#include <gtest/gtest.h>

namespace vetra {
namespace {

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

TEST(PortMap, TheListShowsTheDescriptionElseAPathThatIsNotTheNamesOwn) {
  const std::vector<SerialDevice> found{{"\\\\.\\COM1", "USB Serial Port (COM1)"},
                                        {"\\\\.\\COM2", ""}};
  const std::vector<std::string> labels =
      PortMap::WithDescriptions(found, {{3, "/dev/pts/4"}}).Labels();
  ASSERT_EQ(labels.size(), 40u);
  EXPECT_EQ(labels[0], "USB Serial Port (COM1)");
  EXPECT_EQ(labels[1], "");  // COM2 is \\.\COM2: nothing to add
  EXPECT_EQ(labels[2], "");
  EXPECT_EQ(labels[3], "/dev/pts/4");
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
