#pragma once
// How every subcommand that opens the receiver's port finds its device and says why it does not
// open, in the same words: "vetra send: 'COM7' names no serial device" (exit 2), or
// "vetra share: Open com port: Wrong com!" followed by the port, its device, the system's reason
// and, on Linux, the dialout hint where permission was denied (exit 1).

#include <memory>
#include <string>

#include "link/serial_port.h"
#include "util/messages.h"

namespace vetra::cli {

// The device behind --port NAME|PATH; empty with the message written when there is none.
std::string DeviceOrSay(const std::string& program, const std::string& portArgument);

// The opened port; nullptr with the message written through messages when it does not open.
// messages must outlive the port (it hears the port's later failures).
std::unique_ptr<TSerialPort> OpenPortOrSay(const std::string& device,
                                           const std::string& portArgument, int baudRate,
                                           bool hostMode, IMessages& messages);

// The exit statuses of the two failures.
inline constexpr int kExitNoDevice = 2;
inline constexpr int kExitNotOpened = 1;

}  // namespace vetra::cli
