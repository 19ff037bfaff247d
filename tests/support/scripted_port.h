#pragma once
// A scripted serial port for the receiver conversation: every rxData call takes the next scripted
// delivery (bytes, an empty read or a failure; a delivery longer than the caller's buffer is handed
// over in turns), writes and line resets are recorded, a write can be made to fail, and a hook runs
// before each read so that a threaded test can hold the reader inside rxData. Thread-safe.

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

class ScriptedPort final : public IPort {
 public:
  struct ResetCall {
    int baudRate, byteSize, stopBits, parity;
    friend bool operator==(const ResetCall&, const ResetCall&) = default;
  };

  void QueueRead(std::string_view text) {
    QueueRead(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  }
  void QueueRead(std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    deliveries_.push_back({std::vector<uint8_t>(bytes.begin(), bytes.end()), false});
  }
  void QueueEmptyRead() {
    std::lock_guard lock(mutex_);
    deliveries_.push_back({{}, false});
  }
  void QueueFailure() {
    std::lock_guard lock(mutex_);
    deliveries_.push_back({{}, true});
  }
  size_t pendingDeliveries() const {
    std::lock_guard lock(mutex_);
    return deliveries_.size();
  }

  // Runs at the start of every rxData call, outside the port's lock.
  void SetReadHook(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    readHook_ = std::move(hook);
  }
  void SetWriteFails(bool fails) {
    std::lock_guard lock(mutex_);
    writeFails_ = fails;
  }

  int rxData(uint8_t* buffer, int maxCount) override {
    std::function<void()> hook;
    {
      std::lock_guard lock(mutex_);
      hook = readHook_;
    }
    if (hook) hook();
    std::lock_guard lock(mutex_);
    readSizes_.push_back(maxCount);
    if (deliveries_.empty()) return 0;
    Delivery& next = deliveries_.front();
    if (next.failure) {
      deliveries_.pop_front();
      return -1;
    }
    const int count = std::min(maxCount, static_cast<int>(next.bytes.size()));
    if (count > 0) std::memcpy(buffer, next.bytes.data(), static_cast<size_t>(count));
    next.bytes.erase(next.bytes.begin(), next.bytes.begin() + count);
    if (next.bytes.empty()) deliveries_.pop_front();
    return count;
  }

  int txData(const uint8_t* bytes, int count) override {
    std::lock_guard lock(mutex_);
    if (writeFails_) throw PortWriteError("WriteFile Failed 1.");
    written_.insert(written_.end(), bytes, bytes + count);
    return count;
  }

  bool Reset(int baudRate, int byteSize, int stopBits, int parity) override {
    std::lock_guard lock(mutex_);
    resets_.push_back({baudRate, byteSize, stopBits, parity});
    if (baudRate != 0) baudRate_ = baudRate;
    return true;
  }
  int baudRate() const override {
    std::lock_guard lock(mutex_);
    return baudRate_;
  }

  std::string written() const {
    std::lock_guard lock(mutex_);
    return std::string(written_.begin(), written_.end());
  }
  std::vector<ResetCall> resets() const {
    std::lock_guard lock(mutex_);
    return resets_;
  }
  // The maxCount of every rxData call so far, in order.
  std::vector<int> readSizes() const {
    std::lock_guard lock(mutex_);
    return readSizes_;
  }

 private:
  struct Delivery {
    std::vector<uint8_t> bytes;
    bool failure = false;
  };
  mutable std::mutex mutex_;
  std::deque<Delivery> deliveries_;
  std::function<void()> readHook_;
  bool writeFails_ = false;
  std::vector<uint8_t> written_;
  std::vector<ResetCall> resets_;
  std::vector<int> readSizes_;
  int baudRate_ = 9600;
};

}  // namespace vetra::test
