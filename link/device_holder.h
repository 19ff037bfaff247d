#pragma once
// Which program holds a serial device open, for the message of a port in use: on Debian a USB
// receiver is often taken as soon as it is plugged in (ModemManager probes it, brltty claims some
// adapters, gpsd's hot-plug rules start gpsd on it).
//
// The platform layer: link/posix/device_holder.cpp reads Linux's /proc (every process's open
// files are links in /proc/PID/fd, readable for the user's own processes, or all of them for
// root); link/win/device_holder.cpp tells nothing, as Windows gives no such list.

#include <string>

namespace vetra {

// "ModemManager (pid 812)": the program and process id of the lowest-numbered process whose open
// files include devicePath (symbolic links followed); empty when none can be seen. procRoot is
// the /proc tree to read (a test gives a tree of its own).
std::string DeviceHolder(const std::string& devicePath, const std::string& procRoot = "/proc");

}  // namespace vetra
