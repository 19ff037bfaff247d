#include "link/serial_port.h"

#include <utility>

namespace vetra {

TSerialPort::TSerialPort(bool evenParityForced, std::string devicePath, int baudRate, int byteSize,
                         int stopBits, int parity, int inputQueueSize, int outputQueueSize,
                         IMessages& messages)
    : baudRate_(baudRate),
      parity_(evenParityForced ? kParityEven : parity),
      stopBits_(stopBits),
      byteSize_(byteSize),
      evenParityForced_(evenParityForced),
      inputQueueSize_(inputQueueSize),
      outputQueueSize_(outputQueueSize),
      devicePath_(std::move(devicePath)),
      messages_(messages) {}

TSerialPort::~TSerialPort() { Close(); }

void TSerialPort::Report(const std::string& text) { messages_.Show(text, "Error"); }

}  // namespace vetra
