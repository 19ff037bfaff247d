#include "app/port_names.h"
#include "app/page_rules.h"
#include "app/receiver_port.h"

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
#ifdef _WIN32
  EXPECT_EQ(MatchPortName("COM41"), 40);  // every number the system gives a port
  EXPECT_EQ(MatchPortName("\\\\.\\com256"), 255);
  EXPECT_EQ(MatchPortName("COM257"), std::nullopt);
#else
  EXPECT_EQ(MatchPortName("COM41"), std::nullopt);
#endif
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
  EXPECT_EQ(map.DevicePath(kPortCount), "");
  EXPECT_EQ(map.DevicePath(-1), "");
  EXPECT_EQ(map.IndexOf("/dev/c"), 3);
  EXPECT_EQ(map.IndexOf("/dev/none"), std::nullopt);
  EXPECT_EQ(map.DevicePaths().size(), static_cast<size_t>(kPortCount));
}

TEST(PortMap, TheListShowsTheDeviceAndItsDescriptionAndMarksAbsentOnes) {
  const std::vector<SerialDevice> found{{"\\\\.\\COM1", "USB Serial Port (COM1)"},
                                        {"\\\\.\\COM2", ""}};
  PortMap map = PortMap::WithDescriptions(found, {{3, "/dev/vetra-none"}, {5, "\\\\.\\COM6"}});
  const std::vector<std::string> labels = map.Labels();
  ASSERT_EQ(labels.size(), static_cast<size_t>(kPortCount));
  EXPECT_EQ(labels[0], "USB Serial Port (COM1)");
  EXPECT_EQ(labels[1], "");  // COM2 is \\.\COM2: nothing to add
  EXPECT_TRUE(map.Present(1));
  EXPECT_EQ(labels[2], "");
  EXPECT_FALSE(map.Present(2));
  EXPECT_EQ(labels[3], "/dev/vetra-none (absent)");
  EXPECT_EQ(labels[5], "");  // its own Windows device, not there: greyed, nothing added
  EXPECT_FALSE(map.Present(5));
}

TEST(PortMap, RefreshKeepsNamesMarksVanishedDevicesAndGivesNewOnesTheLowestFreeName) {
  PortMap map = PortMap::WithDescriptions({{"/dev/a", "A"}, {"/dev/b", ""}}, {{2, "/dev/pin"}});
  EXPECT_TRUE(map.Refresh({{"/dev/b", ""}, {"/dev/c", "C"}, {"/dev/d", ""}}));
  EXPECT_EQ(map.DevicePath(0), "/dev/a");
  EXPECT_FALSE(map.Present(0));
  EXPECT_EQ(map.Labels()[0], "/dev/a (A, absent)");
  EXPECT_EQ(map.DevicePath(1), "/dev/b");
  EXPECT_TRUE(map.Present(1));
  EXPECT_EQ(map.DevicePath(3), "/dev/c");  // COM3 is pinned, so COM4
  EXPECT_EQ(map.Labels()[3], "/dev/c (C)");
  EXPECT_EQ(map.DevicePath(4), "/dev/d");
  EXPECT_TRUE(map.Refresh({{"/dev/a", "A"}, {"/dev/b", ""}}));
  EXPECT_EQ(map.IndexOf("/dev/a"), 0);  // plugged in again: its old name
  EXPECT_FALSE(map.Refresh({{"/dev/a", "A"}, {"/dev/b", ""}}));
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

TEST(PortOpenProblem, NamesThePortItsDeviceTheReasonAndWhatToDo) {
  using F = TSerialPort::OpenFailure;
  struct Case {
    std::string name, device;
    F failure;
    std::string reason, expected;
  };
  const std::string denied =
#ifdef __linux__
      std::string(" ") + kDialoutHint;
#else
      "";
#endif
  const Case cases[] = {
      {"COM3", "/dev/vetra-x", F::Denied, "Permission denied",
       "COM3 (/dev/vetra-x): Permission denied." + denied},
      {"COM3", "/dev/vetra-x", F::InUse, "Device or resource busy",
       "COM3 (/dev/vetra-x): Device or resource busy. The port is in use by another program."},
      {"/dev/vetra-x", "/dev/vetra-x", F::Missing, "No such file or directory",
       "/dev/vetra-x: No such file or directory."},
      {"COM5", "", F::Missing, "", "COM5: no serial device stands behind this name."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PortOpenProblem(c.name, c.device, c.failure, c.reason), c.expected) << c.expected;
  }
  EXPECT_EQ(WrongComMessage("COM5: x."), "Wrong com!\n\nCOM5: x.");
}

}  // namespace
}  // namespace vetra
