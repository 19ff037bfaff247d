#pragma once
// A receiver played by the test itself on a pseudo-terminal: the test reads the host's command
// frames from the master side and writes exactly the answers it wants, byte for byte, when it
// wants them. For the cases the virtual receiver does not make on request (a record with a wrong
// checksum in a read, an ACK for another command, a report with chosen values).
//
// The test keeps a raw descriptor of the slave open itself, so that the master sees no hang-up
// before the host opens the device, and the line is raw from the start.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/frame.h"

namespace vetra::testing {

struct HostFrame {
  uint8_t frameClass = 0;
  uint8_t id = 0;
  std::vector<uint8_t> bytes;  // the whole frame, "%%" to LF
};

class ScriptedReceiver {
 public:
  using Clock = std::chrono::steady_clock;

  ScriptedReceiver() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    const char* name = ::ptsname(master_);
    if (name == nullptr) return;
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return;
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
  }
  ~ScriptedReceiver() { Unplug(); }
  ScriptedReceiver(const ScriptedReceiver&) = delete;
  ScriptedReceiver& operator=(const ScriptedReceiver&) = delete;

  bool ok() const { return master_ >= 0 && slave_ >= 0; }
  const std::string& devicePath() const { return slavePath_; }

  // The next complete frame the host sent ("%%" ... CR LF); nullopt at the deadline.
  std::optional<HostFrame> NextFrame(std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
      if (std::optional<HostFrame> frame = TakeFrame()) return frame;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (master_ < 0) return std::nullopt;
      // Even a zero time-out takes what has already arrived.
      pollfd fd{master_, POLLIN, 0};
      if (::poll(&fd, 1, static_cast<int>(std::max<int64_t>(left, 0))) <= 0) {
        if (left <= 0) return std::nullopt;
        continue;
      }
      uint8_t buffer[512];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) received_.insert(received_.end(), buffer, buffer + n);
    }
  }

  void Write(std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (master_ >= 0 && done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }
  void Write(const std::string& text) {
    Write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  }

  static std::vector<uint8_t> Frame(uint8_t frameClass, uint8_t id,
                                    const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> frame(payload.size() + kFrameOverhead);
    BuildFrame(frameClass, id, payload, frame);
    return frame;
  }
  void SendAck(uint8_t commandId) { Write(Frame(kClassAck, commandId, {})); }
  void SendNack(uint8_t commandId) { Write(Frame(kClassNack, commandId, {})); }
  void SendReply(uint8_t id, const std::vector<uint8_t>& payload) {
    Write(Frame(kClassReply, id, payload));
  }

  // The receiver goes away: both ends close, the host sees the line drop.
  void Unplug() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
  }

 private:
  // A frame ends at the first CR LF after its class and id (the host's trace frames hold none
  // inside their payloads).
  std::optional<HostFrame> TakeFrame() {
    for (size_t start = 0; start + 1 < received_.size(); ++start) {
      if (received_[start] != '%' || received_[start + 1] != '%') continue;
      for (size_t end = start + 4; end + 1 < received_.size(); ++end) {
        if (received_[end] == 0x0D && received_[end + 1] == 0x0A) {
          HostFrame frame;
          frame.frameClass = received_[start + 2];
          frame.id = received_[start + 3];
          frame.bytes.assign(received_.begin() + static_cast<std::ptrdiff_t>(start),
                             received_.begin() + static_cast<std::ptrdiff_t>(end + 2));
          received_.erase(received_.begin(),
                          received_.begin() + static_cast<std::ptrdiff_t>(end + 2));
          return frame;
        }
      }
      return std::nullopt;
    }
    return std::nullopt;
  }

  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::vector<uint8_t> received_;
};

}  // namespace vetra::testing
