#include "app/receiver_port.h"

#include "app/port_names.h"
#include "link/device_holder.h"
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
    case TSerialPort::OpenFailure::InUse: {
      // The system may tell who: "The port is in use by ModemManager (pid 812)."
      const std::string holder = DeviceHolder(devicePath);
      text += holder.empty() ? std::string(" ") + kInUseText
                             : std::string(" ") + kInUseByText + holder + ".";
      break;
    }
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

}  // namespace vetra
