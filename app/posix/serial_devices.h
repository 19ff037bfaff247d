#pragma once
// The serial devices of a POSIX system, found under /dev in a stable order: /dev/serial/by-id/*
// (USB devices by their id), then /dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS* in number order, each
// device once however many names it has, and of the ttyS names only those that answer as
// terminals (they exist whether or not a UART is behind them). Each device's description comes
// from sysfs: the USB product string ("FT232R USB UART") of the device behind the tty, found by
// following /sys/class/tty/<name>/device up to the USB device that has one. Whether a ttyS has a
// UART is read from sysfs too (its "type" is not 0), without opening it; where sysfs does not
// tell, the device is opened and asked.
//
// The scan costs a few directory reads and no open of a USB device, so the Setup page repeats it
// every two seconds while it is shown to follow devices being plugged in and out.

#include <functional>
#include <string>
#include <vector>

#include "app/port_names.h"

namespace vetra {

// Finds the serial devices under root (normally "/dev"). answers tells whether a device opens as a
// terminal; tests replace it.
using DeviceProbe = std::function<bool(const std::string& path)>;
std::vector<std::string> ScanSerialDevices(const std::string& root = "/dev",
                                           const DeviceProbe& answers = {});
// The real probe: opens without waiting for carrier and asks for the line settings.
bool DeviceAnswers(const std::string& path);

// The devices under devRoot with their descriptions from sysRoot ("/dev" and "/sys" for the
// system; a folder of stand-ins for tests).
std::vector<SerialDevice> FindSerialDevicesUnder(const std::string& devRoot,
                                                 const std::string& sysRoot);
// The USB product string of a tty device; empty when sysfs tells none.
std::string SysfsDescription(const std::string& devicePath, const std::string& sysRoot);

}  // namespace vetra
