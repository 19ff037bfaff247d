#pragma once
// What the state machines need of a serial port. TSerialPort implements it on a real device (or a
// pseudo-terminal); tests stand a scripted fake in its place.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vetra {

// A failed write. The text is what the user sees ("WriteFile Failed 1." and the like).
class PortWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class IPort {
 public:
  virtual ~IPort() = default;
  // Reads at most maxCount of the bytes already queued, waiting at most 50 ms for them.
  // Returns the count read (0 when none) or -1 when the port failed (a receiver unplugged).
  virtual int rxData(uint8_t* buffer, int maxCount) = 0;
  // Writes every byte or throws PortWriteError; returns count.
  virtual int txData(const uint8_t* bytes, int count) = 0;
  // New line settings (baudRate 0 keeps the current rate); purges both directions.
  virtual bool Reset(int baudRate, int byteSize, int stopBits, int parity) = 0;
  virtual int baudRate() const = 0;
  // After rxData returned -1: the system's reason, for the user ("Input/output error", "the line
  // hung up"); empty where the port does not know it. Any thread.
  virtual std::string failureReason() const { return {}; }
};

}  // namespace vetra
