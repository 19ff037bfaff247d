#include "cli/port_opening.h"

#include <cstdio>

#include "app/page_rules.h"
#include "app/receiver_port.h"
#include "cli/port_argument.h"

namespace vetra::cli {

std::string DeviceOrSay(const std::string& program, const std::string& portArgument) {
  std::string device = DevicePathForArgument(portArgument);
  if (device.empty()) {
    std::fprintf(stderr, "%s: '%s' names no serial device\n", program.c_str(),
                 portArgument.c_str());
  }
  return device;
}

std::unique_ptr<TSerialPort> OpenPortOrSay(const std::string& device,
                                           const std::string& portArgument, int baudRate,
                                           bool hostMode, IMessages& messages) {
  std::string problem;
  std::unique_ptr<TSerialPort> port =
      OpenReceiverPort(device, baudRate, hostMode, messages, &problem, portArgument);
  if (!port) messages.Show(WrongComMessage(problem), kOpenComPortTitle, IMessages::Kind::Error);
  return port;
}

}  // namespace vetra::cli
