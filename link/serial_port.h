#pragma once
// TSerialPort: the one serial port to the receiver, on a POSIX terminal device (termios).
//
// The device is opened exclusively (flock, and TIOCEXCL for other programs), in raw mode with
// CLOCAL|CREAD, DTR and RTS asserted and no flow control. Reads never block for long: rxData asks
// only for what the driver has queued (FIONREAD). Writes return when every byte has been accepted.
//
// How the receiver's port operations map onto the terminal device:
//   open the device              -> open(O_RDWR|O_NOCTTY|O_NONBLOCK), flock(LOCK_EX|LOCK_NB);
//                                   a missing or busy device returns false without a message
//   request the queue sizes      -> the device must be a terminal (tcgetattr); the sizes are kept
//                                   but a terminal's queues are the driver's own
//   purge both directions        -> tcflush(TCIOFLUSH)
//   line settings                -> tcsetattr, read back and compared
//   pending line error           -> none: raw mode hands errors on as bytes, nothing to clear
// Message texts ("Setup: SetCommState %d" ...) and the title "Error" are the receiver tool's own.

#include <atomic>
#include <string>

#include "link/messages.h"
#include "link/port.h"

namespace vetra {

// Parity codes as the settings and callers give them.
inline constexpr int kParityNone = 0;
inline constexpr int kParityOdd = 1;
inline constexpr int kParityEven = 2;
// Stop-bit codes: 0 one stop bit, 2 two (1, one and a half, is treated as two).
inline constexpr int kOneStopBit = 0;
inline constexpr int kTwoStopBits = 2;

class TSerialPort final : public IPort {
 public:
  // Stores the settings; opens nothing. parity becomes even when evenParityForced (host mode).
  // messages receives the configuration failures; it must outlive the port.
  TSerialPort(bool evenParityForced, std::string devicePath, int baudRate, int byteSize,
              int stopBits, int parity, int inputQueueSize, int outputQueueSize,
              IMessages& messages);
  ~TSerialPort() override;  // Close
  TSerialPort(const TSerialPort&) = delete;
  TSerialPort& operator=(const TSerialPort&) = delete;

  // True when the device is open, exclusively ours and configured. A device that is missing or in
  // use by another returns false without a message (the caller reports it); a configuration
  // failure shows its message and returns false, leaving the device open until Close.
  bool Open();
  // True when everything that was open closed without error; true for a never-opened port.
  bool Close();
  bool isOpen() const { return fd_.load() >= 0; }

  bool Reset(int baudRate, int byteSize, int stopBits, int parity) override;
  int txData(const uint8_t* bytes, int count) override;
  int rxData(uint8_t* buffer, int maxCount) override;
  int baudRate() const override { return baudRate_; }

  int parity() const { return parity_; }
  int byteSize() const { return byteSize_; }
  int stopBits() const { return stopBits_; }
  const std::string& devicePath() const { return devicePath_; }

 private:
  enum class LineResult { Ok, ReadFailed, ApplyFailed };  // errno tells why
  LineResult ApplyLineSettings(bool fromScratch);
  void Report(const std::string& text);

  std::atomic<int> baudRate_;
  int parity_;
  int stopBits_;
  int byteSize_;
  const bool evenParityForced_;
  const int inputQueueSize_;
  const int outputQueueSize_;
  const std::string devicePath_;
  IMessages& messages_;
  std::atomic<int> fd_{-1};
};

}  // namespace vetra
