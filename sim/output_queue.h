#pragma once
// The receiver's transmit buffer: bytes waiting for the wire, with line-rate changes placed
// between them (Configure IO answers with an ACK at the old rate and then changes its rate).

#include <cstdint>
#include <deque>
#include <span>
#include <string_view>
#include <vector>

namespace vetra::sim {

class OutputQueue {
 public:
  void Append(std::span<const uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  void Append(std::string_view text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
  // The line changes to baud once every byte queued before this call has gone out.
  void AppendBaudChange(int baud) { changes_.push_back({taken_ + bytes_.size(), baud}); }

  // Moves up to maxBytes to out (appending), stopping before a pending rate change.
  size_t Take(size_t maxBytes, std::vector<uint8_t>& out);
  // The rate change due now (every byte before it taken), or 0 when none is due.
  int TakeBaudChange();

  size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty() && changes_.empty(); }
  // Drops the bytes but keeps the rate changes in order (they apply at once).
  void ClearBytes();

  // A module that has just switched its rate on its own gives the host until untilS to follow:
  // until then the wire sends nothing while the host still listens at another rate.
  void HoldForListener(double untilS) { holdUntilS_ = untilS; }
  bool holding(double nowS) const { return nowS < holdUntilS_; }
  void ReleaseHold() { holdUntilS_ = 0; }

 private:
  struct Change {
    uint64_t position;  // in bytes taken since the start
    int baud;
  };
  std::deque<uint8_t> bytes_;
  std::deque<Change> changes_;
  uint64_t taken_ = 0;
  double holdUntilS_ = 0;
};

}  // namespace vetra::sim
