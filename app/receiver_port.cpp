#include "app/receiver_port.h"

#include <cstdio>

#include "app/port_names.h"
#include "link/port_messages.h"

namespace vetra {

std::unique_ptr<TSerialPort> OpenReceiverPort(const std::string& devicePath, int baudRate,
                                              bool hostMode, IMessages& messages,
                                              std::string* problem, const std::string& portName) {
  if (devicePath.empty()) {
    if (problem != nullptr) {
      *problem = PortOpenProblem(portName, devicePath, TSerialPort::OpenFailure::Missing, {});
    }
    return nullptr;
  }
  auto port = std::make_unique<TSerialPort>(hostMode, devicePath, baudRate, 8, kOneStopBit,
                                            kParityNone, kPortQueueSize, kPortQueueSize, messages);
  if (!port->Open()) {
    if (problem != nullptr) {
      *problem = PortOpenProblem(portName.empty() ? devicePath : portName, devicePath,
                                 port->openFailure(), port->openReason());
    }
    return nullptr;
  }
  return port;
}

std::string PortOpenProblem(const std::string& portName, const std::string& devicePath,
                            TSerialPort::OpenFailure failure, const std::string& reason) {
  if (devicePath.empty()) return portName + ": " + kNoDeviceText;
  const std::string shown = ShownDevicePath(devicePath);
  const std::string where = portName.empty() || portName == devicePath || portName == shown
                                ? shown
                                : portName + " (" + shown + ")";
  if (reason.empty()) return where + ": the device does not take the line settings.";
  std::string text = where + ": " + reason + ".";
  switch (failure) {
    case TSerialPort::OpenFailure::InUse:
      text += std::string(" ") + kInUseText;
      break;
    case TSerialPort::OpenFailure::Denied:
#ifdef __linux__
      text += std::string(" ") + kDialoutHint;
#endif
      break;
    default:
      break;
  }
  return text;
}

void ConsoleMessages::Show(const std::string& text, const std::string& title, Kind) {
  if (title == kPortErrorTitle) {
    // The port's own texts in plain words; one shown while opening is told by the open failure.
    if (IsPortSetupMessage(text)) return;
    std::fprintf(stderr, "%s: %s\n", program_.c_str(), PlainPortMessage(text).c_str());
    return;
  }
  std::fprintf(stderr, "%s: %s: %s\n", program_.c_str(), title.c_str(), text.c_str());
}

}  // namespace vetra
