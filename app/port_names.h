#pragma once
// The program's port names, COM1 to COM40 (on Windows COM1 to COM256, every number the system
// gives a port), and the serial device each stands for.
//
// The names stay what the user sees (the port list, the settings file, the command line). Each maps
// to a device path:
//   - a name pinned in the settings file's [Ports] section (COM3=/dev/ttyUSB1) maps to that path;
//   - on Windows every other COMn is the device \\.\COMn itself;
//   - on POSIX systems the serial devices found at start-up fill the remaining names from COM1 on,
//     in a stable order: /dev/serial/by-id/* (USB devices by their id, so a receiver keeps its
//     name whatever socket it is in), then /dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS* in number
//     order, each device once, only devices that open as terminals (app/posix/serial_devices.h);
//     a user with one USB receiver finds it at COM1 without configuring anything;
//   - a device path given where a port name is expected is taken as it is.
// The system's own list of serial devices (FindSerialDevices) may carry a description of each
// (Windows' friendly names, the USB product string from sysfs on Linux); the port list shows the
// device and its description beside the name ("COM3 — /dev/ttyUSB0 (FT232R USB UART)") and marks
// which names have a device present. Refresh takes the devices present now: names already given
// keep their device (one that vanished is shown as absent), a new device takes the lowest free
// name.

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vetra {

#ifdef _WIN32
inline constexpr int kPortCount = 256;  // USB adapters often get high numbers (COM57)
#else
inline constexpr int kPortCount = 40;
#endif

// "COM1" .. "COM40" (.. "COM256" on Windows): the port list's entries (index i names COM(i+1)).
std::string PortName(int index);
// The device name table the command line is matched against: "COM1" .. "COM9", then
// "\\.\COM10" .. "\\.\COM40" (ports above 9 in the device-namespace form; on Windows to COM256).
std::string DeviceName(int index);
// Index of an exact entry of the device name table; nullopt when none matches.
std::optional<int> MatchDeviceName(std::string_view name);
// Index of a port name, "COM1".."COM40" (COM256) or a device-name-table entry, in any case.
std::optional<int> MatchPortName(std::string_view name);
// A device path rather than a port name: it contains a '/'. On Windows a device outside the
// forty names is given as //./NAME (//./COM41, //./CNCA0).
bool IsDevicePath(std::string_view text);

// One serial device the system offers: what to open, and what the user may know it by.
struct SerialDevice {
  std::string path;
  std::string description;  // empty where the system tells nothing
};

// The serial devices present now, in the order in which they fill the port names (the platform
// layer: app/posix/serial_devices.cpp, app/win/serial_devices.cpp).
std::vector<SerialDevice> FindSerialDevices();

// The device a path stands for, as the user knows it: a device path with its links followed
// (/dev/serial/by-id/usb-FTDI... -> /dev/ttyUSB0); anything else as it is.
std::string ShownDevicePath(const std::string& path);

class PortMap {
 public:
  PortMap() = default;
  // scanned: the devices found at start-up, in order; pinned: port index -> device path.
  PortMap(const std::vector<std::string>& scanned, const std::map<int, std::string>& pinned);
  // The same from the system's list, whose descriptions the port list shows.
  static PortMap WithDescriptions(const std::vector<SerialDevice>& scanned,
                                  const std::map<int, std::string>& pinned);

  // The device path of a port; empty when the name stands for no device.
  std::string DevicePath(int index) const;
  // The port index whose device is path (same file, symbolic links followed); nullopt when none.
  std::optional<int> IndexOf(const std::string& path) const;
  // Points a port at a device (the virtual receiver, a path from the command line).
  void Pin(int index, const std::string& path);
  // The kPortCount device paths in index order (empty where none).
  std::vector<std::string> DevicePaths() const;
  // What the port list shows beside each name: the device (ShownDevicePath, left out where it is
  // the name's own Windows device \\.\COMn) and the system's description in parentheses;
  // "(absent)" after a device that is not there now; empty for a name without a device.
  std::vector<std::string> Labels() const;
  // The name has a device, and it is there now.
  bool Present(int index) const;
  // The devices present now: a device keeps its name, a new one takes the lowest free name, one
  // that has gone stays under its name as absent. True when anything the list shows changed.
  bool Refresh(const std::vector<SerialDevice>& present);

 private:
  void MarkPresence(const std::vector<SerialDevice>& present);

  std::array<std::string, kPortCount> paths_{};
  std::array<std::string, kPortCount> descriptions_{};
  std::array<bool, kPortCount> present_{};
};

// This system's port map, pinned names first: on Windows COMn is \\.\COMn and the devices
// present carry their descriptions; elsewhere the devices found now fill the names in order.
PortMap SystemPortMap(const std::map<int, std::string>& pinned);

// What --port NAME|PATH of the terminal tool names: a device path as given, or the device of a
// port name (COM1..COM40 or a device-name-table entry, any case). Empty when it names nothing.
std::string ResolvePortArgument(std::string_view argument, const PortMap& map);

}  // namespace vetra
