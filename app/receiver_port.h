#pragma once
// The receiver's port as the window, the auto-scan and the terminal tool create it: 8 data bits,
// one stop bit, no parity (even in host mode), 4096-byte queues, opened at once.

#include <memory>
#include <string>

#include "link/serial_port.h"
#include "util/messages.h"

namespace vetra {

inline constexpr int kPortQueueSize = 4096;

// The opened port, or nullptr when the device does not open (a missing or busy device says
// nothing; a configuration failure has shown its message through messages). An empty device path
// (a port name with no device behind it) does not open. problem, when given, receives what went
// wrong where (PortOpenProblem), for "Wrong com!" to show; portName is what the user chose
// ("COM3", or the device path itself).
std::unique_ptr<TSerialPort> OpenReceiverPort(const std::string& devicePath, int baudRate,
                                              bool hostMode, IMessages& messages,
                                              std::string* problem = nullptr,
                                              const std::string& portName = {});

// "COM3 (/dev/ttyUSB0): Permission denied. Add your user to the dialout group (sudo usermod -aG
// dialout $USER), then log in again.": the port, its device (links followed) and the system's
// reason. The group hint only where it helps (Linux, permission denied); a port in use says so,
// naming the program that holds it where the system tells (link/device_holder.h);
// a name without a device says that.
std::string PortOpenProblem(const std::string& portName, const std::string& devicePath,
                            TSerialPort::OpenFailure failure, const std::string& reason);
inline constexpr char kDialoutHint[] =
    "Add your user to the dialout group (sudo usermod -aG dialout $USER), then log in again.";
inline constexpr char kInUseText[] = "The port is in use by another program.";
inline constexpr char kInUseByText[] = "The port is in use by ";  // the holder and "." follow
inline constexpr char kNoDeviceText[] = "no serial device stands behind this name.";

}  // namespace vetra
