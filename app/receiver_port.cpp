#include "app/receiver_port.h"

#include <cstdio>

namespace vetra {

std::unique_ptr<TSerialPort> OpenReceiverPort(const std::string& devicePath, int baudRate,
                                              bool hostMode, IMessages& messages) {
  if (devicePath.empty()) return nullptr;
  auto port = std::make_unique<TSerialPort>(hostMode, devicePath, baudRate, 8, kOneStopBit,
                                            kParityNone, kPortQueueSize, kPortQueueSize, messages);
  if (!port->Open()) return nullptr;
  return port;
}

void ConsoleMessages::Show(const std::string& text, const std::string& title, Kind) {
  std::fprintf(stderr, "%s: %s: %s\n", program_.c_str(), title.c_str(), text.c_str());
}

}  // namespace vetra
