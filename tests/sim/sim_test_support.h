#pragma once
// What the virtual receiver's tests use to look at its output: a frame scanner and a sentence
// splitter written from the message formats (independent of the code under test), a driver that
// runs a ReceiverModule over made-up time, and a host-side serial port on the pseudo-terminal.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sim/receiver_module.h"

namespace vetra::sim::test {

struct Frame {
  uint8_t frameClass = 0;
  uint8_t id = 0;
  std::vector<uint8_t> payload;
};

// Payload sizes of the receiver's frames (class F2 by id; ACK and NACK have none).
inline int ReplyPayloadSize(uint8_t id) {
  static const std::map<uint8_t, int> sizes = {
      {0x80, 22}, {0x81, 16},  {0x82, 2},   {0x83, 122}, {0x84, 50},  {0x85, 5},   {0x86, 18},
      {0x87, 48}, {0x88, 20},  {0x89, 18},  {0x8A, 11},  {0x8C, 5},   {0x8D, 33},  {0xD0, 37},
      {0xD1, 37}, {0xD2, 102}, {0xD3, 152}, {0xD4, 32},  {0xD5, 134}, {0xD6, 200}, {0x50, 0}};
  const auto it = sizes.find(id);
  return it == sizes.end() ? -1 : it->second;
}

// Every frame with a good checksum and CR LF, in order; badFrames counts the others.
inline std::vector<Frame> ScanFrames(const std::vector<uint8_t>& bytes, int* badFrames = nullptr) {
  std::vector<Frame> frames;
  int bad = 0;
  for (size_t i = 0; i + 6 < bytes.size(); ++i) {
    if (bytes[i] != '%' || bytes[i + 1] != '%') continue;
    const uint8_t cls = bytes[i + 2];
    int size = -1;
    if (cls == 0x06 || cls == 0x15) size = 0;
    if (cls == 0xF2) size = ReplyPayloadSize(bytes[i + 3]);
    if (size < 0) continue;
    const size_t end = i + 4 + static_cast<size_t>(size);  // the checksum byte
    if (end + 2 >= bytes.size()) break;
    uint8_t sum = 0;
    for (size_t k = i + 2; k < end; ++k) sum ^= bytes[k];
    if (sum != bytes[end] || bytes[end + 1] != 0x0D || bytes[end + 2] != 0x0A) {
      ++bad;
      continue;
    }
    frames.push_back({cls, bytes[i + 3], {bytes.begin() + i + 4, bytes.begin() + end}});
    i = end + 2;
  }
  if (badFrames) *badFrames = bad;
  return frames;
}

// Each "$...CR LF" line of printable text, without the CR LF ('$' inside binary frames is not
// the start of a sentence).
inline std::vector<std::string> Sentences(const std::vector<uint8_t>& bytes) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '$') continue;
    size_t k = i + 1;
    while (k < bytes.size() && bytes[k] >= 0x20 && bytes[k] < 0x7F && k - i < 100) ++k;
    if (k + 1 >= bytes.size() || bytes[k] != '\r' || bytes[k + 1] != '\n') continue;
    lines.emplace_back(bytes.begin() + i, bytes.begin() + k);
    i = k + 1;
  }
  return lines;
}

// "$body*hh" with hh the XOR of body.
inline bool ChecksumOk(const std::string& line) {
  const size_t star = line.rfind('*');
  if (line.empty() || line[0] != '$' || star == std::string::npos || star + 3 != line.size()) {
    return false;
  }
  uint8_t sum = 0;
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<uint8_t>(line[i]);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  return line.compare(star + 1, 2, hex) == 0;
}

inline std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  const size_t end = line.find('*');
  std::string body = line.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  size_t start = 0;
  for (;;) {
    const size_t comma = body.find(',', start);
    fields.push_back(body.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return fields;  // fields[0] is the address
}

inline std::vector<uint8_t> CommandBytes(uint8_t cls, uint8_t id, std::vector<uint8_t> payload) {
  std::vector<uint8_t> f;
  f.reserve(payload.size() + 7);
  for (uint8_t b : {uint8_t{0x25}, uint8_t{0x25}, cls, id}) f.push_back(b);
  for (uint8_t b : payload) f.push_back(b);
  uint8_t sum = 0;
  for (size_t i = 2; i < f.size(); ++i) sum ^= f[i];
  f.push_back(sum);
  f.push_back(0x0D);
  f.push_back(0x0A);
  return f;
}

// Runs a module over made-up time as if the wire took every byte at once.
class ModuleDriver {
 public:
  explicit ModuleDriver(ReceiverModule& module) : module_(module) {}

  // Advances in steps up to toS and returns everything the module sent meanwhile.
  std::vector<uint8_t> RunUntil(double toS, double stepS = 0.05) {
    std::vector<uint8_t> out;
    for (; nowS_ <= toS + 1e-9; nowS_ += stepS) {
      module_.Advance(nowS_);
      Drain(out);
    }
    nowS_ = std::max(nowS_ - stepS, toS);
    return out;
  }
  void Send(const std::vector<uint8_t>& bytes) { module_.Receive(bytes, nowS_); }
  double now() const { return nowS_; }

 private:
  void Drain(std::vector<uint8_t>& out) {
    for (;;) {
      if (const int baud = module_.output().TakeBaudChange()) module_.ApplyBaudChange(baud);
      if (module_.output().Take(1 << 20, out) == 0) {
        if (module_.output().empty()) return;
      }
    }
  }
  ReceiverModule& module_;
  double nowS_ = 0;
};

// The host's end: the device opened as a plain raw serial port at a given rate.
class HostPort {
 public:
  // flush: drop what the line delivered before the host opened (as the program's port does).
  HostPort(const std::string& path, int baud, bool flush = true) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) return;
    SetBaud(baud);
    if (flush) Flush();
  }
  ~HostPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }

  void SetBaud(int baud) {
    termios t{};
    ::tcgetattr(fd_, &t);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    const speed_t s = baud == 2400    ? B2400
                      : baud == 4800  ? B4800
                      : baud == 9600  ? B9600
                      : baud == 19200 ? B19200
                      : baud == 38400 ? B38400
                      : baud == 57600 ? B57600
                                      : B115200;
    ::cfsetispeed(&t, s);
    ::cfsetospeed(&t, s);
    ::tcsetattr(fd_, TCSANOW, &t);
  }

  void Flush() { ::tcflush(fd_, TCIOFLUSH); }

  void Write(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else {
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 100);
      }
    }
  }

  // Reads into received until done(received) holds or the time runs out; false on time-out.
  // A read error (the line dropped) ends the wait too and sets failed().
  bool ReadUntil(const std::function<bool(const std::vector<uint8_t>&)>& done,
                 std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done(received)) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd p{fd_, POLLIN, 0};
      ::poll(&p, 1, static_cast<int>(left.count()));
      if (p.revents & (POLLHUP | POLLERR)) {
        failed_ = true;
        return false;
      }
      uint8_t buffer[4096];
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n > 0) received.insert(received.end(), buffer, buffer + n);
      if (n < 0 && errno != EAGAIN) {
        failed_ = true;
        return false;
      }
    }
    return true;
  }
  bool failed() const { return failed_; }

  // Takes whatever the line has delivered so far, without waiting.
  void ReadAvailable() {
    uint8_t buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd_, buffer, sizeof buffer)) > 0)
      received.insert(received.end(), buffer, buffer + n);
  }

  std::vector<uint8_t> received;

 private:
  int fd_ = -1;
  bool failed_ = false;
};

}  // namespace vetra::sim::test
