#include "link/serial_port.h"

#include <utility>

#include "link/port_messages.h"

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

void TSerialPort::Report(const std::string& text) {
  openFailure_ = OpenFailure::Other;
  openReason_ = PlainPortMessage(text);  // why Open failed, in words a terminal can show
  messages_.Show(text, "Error");
}

bool TSerialPort::OpenFailed(OpenFailure kind, std::string reason) {
  openFailure_ = kind;
  openReason_ = std::move(reason);
  return false;
}

int TSerialPort::ReadFailed(std::string reason) {
  std::lock_guard lock(failureMutex_);
  failure_ = std::move(reason);
  return -1;
}

std::string TSerialPort::failureReason() const {
  std::lock_guard lock(failureMutex_);
  return failure_;
}

}  // namespace vetra
