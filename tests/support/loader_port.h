#pragma once
// A scripted serial port for the loader's and the TTFF test's state machines: reads come from a
// queue of deliveries (one per rxData call, an empty one reads 0 bytes, an error reads -1), every
// write is recorded, a hook may answer a write (a tiny receiver), and a chosen write can fail by
// throwing or by being accepted only in part.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/port.h"

namespace vetra::test {

class LoaderPort final : public IPort {
 public:
  struct Delivery {
    std::vector<uint8_t> bytes;
    bool error = false;
  };

  void QueueRead(std::string_view text) {
    std::lock_guard lock(mutex_);
    reads_.push_back({std::vector<uint8_t>(text.begin(), text.end()), false});
  }
  void QueueRead(std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    reads_.push_back({std::vector<uint8_t>(bytes.begin(), bytes.end()), false});
  }
  void QueueEmptyRead() { QueueRead(std::string_view{}); }
  void QueueReadError() {
    std::lock_guard lock(mutex_);
    reads_.push_back({{}, true});
  }
  size_t pendingReads() const {
    std::lock_guard lock(mutex_);
    return reads_.size();
  }

  int rxData(uint8_t* buffer, int maxCount) override {
    std::lock_guard lock(mutex_);
    ++rxCalls_;
    if (reads_.empty()) return 0;
    Delivery& next = reads_.front();
    if (next.error) {
      reads_.pop_front();
      return -1;
    }
    // A delivery longer than the caller's buffer is handed over in turns.
    const int count = std::min<int>(maxCount, static_cast<int>(next.bytes.size()));
    if (count > 0) std::memcpy(buffer, next.bytes.data(), static_cast<size_t>(count));
    next.bytes.erase(next.bytes.begin(), next.bytes.begin() + count);
    if (next.bytes.empty()) reads_.pop_front();
    return count;
  }

  int txData(const uint8_t* bytes, int count) override {
    std::vector<uint8_t> data(bytes, bytes + count);
    int index = 0;
    {
      std::lock_guard lock(mutex_);
      index = txCalls_++;
      if (index == throwAtWrite) throw PortWriteError("WriteFile Failed 1.");
      if (index == shortAtWrite && count > 0) data.pop_back();
      writes_.push_back(data);
      written_.insert(written_.end(), data.begin(), data.end());
    }
    if (onWrite) onWrite(data);
    return static_cast<int>(data.size());
  }

  bool Reset(int baudRate, int, int, int) override {
    {
      std::lock_guard lock(mutex_);
      resets_.push_back(baudRate);
      if (baudRate != 0) baud_ = baudRate;
    }
    if (onReset) onReset(baudRate);
    return true;
  }
  int baudRate() const override { return baud_; }

  // Everything written, in order, and each txData call on its own.
  std::vector<uint8_t> written() const {
    std::lock_guard lock(mutex_);
    return written_;
  }
  std::vector<std::vector<uint8_t>> writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
  }
  std::vector<int> resets() const {
    std::lock_guard lock(mutex_);
    return resets_;
  }
  int rxCalls() const {
    std::lock_guard lock(mutex_);
    return rxCalls_;
  }

  // Called after each recorded write with the bytes the port took (outside the port's lock, so
  // it may queue reads).
  std::function<void(const std::vector<uint8_t>&)> onWrite;
  std::function<void(int baudRate)> onReset;  // after each Reset, outside the port's lock
  int throwAtWrite = -1;                      // this txData call (0-based) throws PortWriteError
  int shortAtWrite = -1;  // this txData call takes one byte less than it was given

 private:
  mutable std::mutex mutex_;
  std::deque<Delivery> reads_;
  std::vector<uint8_t> written_;
  std::vector<std::vector<uint8_t>> writes_;
  std::vector<int> resets_;
  int rxCalls_ = 0;
  int txCalls_ = 0;
  int baud_ = 4800;
};

// "MXTR,41,72" -> "$MXTR,41,72*hh\r\n": a sentence with its checksum.
inline std::string Sentence(std::string_view body) {
  uint8_t x = 0;
  for (char c : body) x ^= static_cast<uint8_t>(c);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string s = "$" + std::string(body) + "*";
  s += kHex[x >> 4];
  s += kHex[x & 0x0F];
  s += "\r\n";
  return s;
}

}  // namespace vetra::test
