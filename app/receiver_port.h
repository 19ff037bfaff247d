#pragma once
// The receiver's port as the window, the auto-scan and the terminal tool create it: 8 data bits,
// one stop bit, no parity (even in host mode), 4096-byte queues, opened at once.

#include <memory>
#include <string>

#include "link/messages.h"
#include "link/serial_port.h"

namespace vetra {

inline constexpr int kPortQueueSize = 4096;

// The opened port, or nullptr when the device does not open (a missing or busy device says
// nothing; a configuration failure has shown its message through messages). An empty device path
// (a port name with no device behind it) does not open.
std::unique_ptr<TSerialPort> OpenReceiverPort(const std::string& devicePath, int baudRate,
                                              bool hostMode, IMessages& messages);

// Message boxes of the terminal tool: "title: text" on stderr, line breaks kept.
class ConsoleMessages final : public IMessages {
 public:
  explicit ConsoleMessages(std::string program) : program_(std::move(program)) {}
  void Show(const std::string& text, const std::string& title, Kind kind) override;

 private:
  std::string program_;
};

}  // namespace vetra
