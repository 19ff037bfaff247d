#pragma once
// Collects the fields of a command frame in wire order (little-endian, two's complement, narrow
// fields keep their low bits) and hands them to BuildFrame.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "link/frame.h"

namespace vetra {

class PayloadWriter {
 public:
  PayloadWriter& U8(uint32_t value) { return Put(value, 1); }
  PayloadWriter& U16(uint32_t value) { return Put(value, 2); }
  PayloadWriter& U32(uint32_t value) { return Put(value, 4); }
  PayloadWriter& F64(double value) { return Put(std::bit_cast<uint64_t>(value), 8); }
  PayloadWriter& Zeros(size_t count) {
    while (count-- > 0) U8(0);
    return *this;
  }
  PayloadWriter& Bytes(std::span<const uint8_t> bytes) {
    for (uint8_t b : bytes) U8(b);
    return *this;
  }

  std::span<const uint8_t> bytes() const { return {bytes_.data(), size_}; }

  // The whole frame into out; its length (0 when out is too small).
  size_t Frame(uint8_t frameClass, uint8_t id, std::span<uint8_t> out) const {
    return BuildFrame(frameClass, id, bytes(), out);
  }

 private:
  PayloadWriter& Put(uint64_t value, size_t width) {
    for (size_t i = 0; i < width && size_ < bytes_.size(); ++i) {
      bytes_[size_++] = static_cast<uint8_t>(value >> (8 * i));
    }
    return *this;
  }

  std::array<uint8_t, kMaxFrameSize - kFrameOverhead> bytes_{};
  size_t size_ = 0;
};

}  // namespace vetra
