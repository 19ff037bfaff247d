#pragma once
// TSerialPort: the one serial port to the receiver. The device is opened exclusively for reading
// and writing at the given rate, byte size, parity and stop bits, with DTR and RTS asserted and no
// flow control. Reads never block for long: rxData takes what the driver has queued, waiting at
// most 50 ms. Writes return when every byte has been accepted, or throw.
//
// Each platform realises it in its own file, which says how the receiver's port operations map
// onto the system's calls: link/posix/serial_port.cpp (a terminal device, termios) and
// link/win/serial_port.cpp (a Win32 communications device, \\.\COMn). Message texts
// ("Setup: SetCommState %d" ...) and the title "Error" are the receiver tool's own.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "link/port.h"
#include "util/messages.h"

namespace vetra {

// Parity codes as the settings and callers give them.
inline constexpr int kParityNone = 0;
inline constexpr int kParityOdd = 1;
inline constexpr int kParityEven = 2;
// Stop-bit codes: 0 one stop bit, 2 two; 1, one and a half, exists on Windows only (POSIX takes
// it as two).
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
  // use by another returns false without a message (the caller reports it, with openFailure and
  // openReason); a configuration failure shows its message and returns false, leaving the device
  // open until Close.
  bool Open();
  // Why the last Open failed: the kind, and the system's own words ("Permission denied"); for a
  // configuration failure, which has shown its message, that message in plain words
  // (link/port_messages.h: "not a serial device").
  enum class OpenFailure { None, Missing, Denied, InUse, Other };
  OpenFailure openFailure() const { return openFailure_; }
  const std::string& openReason() const { return openReason_; }
  // True when everything that was open closed without error; true for a never-opened port.
  bool Close();
  bool isOpen() const { return handle_.load() != kNoDevice; }

  bool Reset(int baudRate, int byteSize, int stopBits, int parity) override;
  int txData(const uint8_t* bytes, int count) override;
  int rxData(uint8_t* buffer, int maxCount) override;
  int baudRate() const override { return baudRate_; }
  std::string failureReason() const override;

  int parity() const { return parity_; }
  int byteSize() const { return byteSize_; }
  int stopBits() const { return stopBits_; }
  const std::string& devicePath() const { return devicePath_; }

 private:
  enum class LineResult { Ok, ReadFailed, ApplyFailed };  // the system's last error tells why
  LineResult ApplyLineSettings(bool fromScratch);
  void Report(const std::string& text);
  bool OpenFailed(OpenFailure kind, std::string reason);
  int ReadFailed(std::string reason);  // keeps the reason for failureReason(); returns -1

  std::atomic<int> baudRate_;
  int parity_;
  int stopBits_;
  int byteSize_;
  const bool evenParityForced_;
  const int inputQueueSize_;
  const int outputQueueSize_;
  const std::string devicePath_;
  IMessages& messages_;
  OpenFailure openFailure_ = OpenFailure::None;
  std::string openReason_;
  mutable std::mutex failureMutex_;
  std::string failure_;  // under failureMutex_: the read's failure, written by the reading thread
  // The open device: a file descriptor on POSIX, a HANDLE on Windows. Both systems' "none"
  // values are -1 (INVALID_HANDLE_VALUE).
  static constexpr std::intptr_t kNoDevice = -1;
  std::atomic<std::intptr_t> handle_{kNoDevice};
  // Windows: the calls using the handle now (Close waits for them before it closes the handle),
  // and whether the driver answers GetCommModemStatus (then a failed answer means the device has
  // gone). Unused on POSIX.
  [[maybe_unused]] std::atomic<int> users_{0};
  [[maybe_unused]] std::atomic<bool> modemProbe_{false};
};

}  // namespace vetra
