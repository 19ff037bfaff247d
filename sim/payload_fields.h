#pragma once
// Appends little-endian fields to a frame payload, the way the receiver lays out its replies.

#include <bit>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace vetra::sim {

class PayloadWriter {
 public:
  explicit PayloadWriter(std::vector<uint8_t>& out) : out_(out) {}

  void U8(uint8_t v) { out_.push_back(v); }
  void I8(int8_t v) { out_.push_back(static_cast<uint8_t>(v)); }
  void U16(uint16_t v) { Le(v); }
  void I16(int16_t v) { Le(static_cast<uint16_t>(v)); }
  void U32(uint32_t v) { Le(v); }
  void I32(int32_t v) { Le(static_cast<uint32_t>(v)); }
  void F32(float v) { Le(std::bit_cast<uint32_t>(v)); }
  void F64(double v) { Le(std::bit_cast<uint64_t>(v)); }
  void Zeros(size_t count) { out_.insert(out_.end(), count, 0); }
  // Exactly size bytes of text: cut or padded with pad.
  void Text(std::string_view text, size_t size, uint8_t pad = ' ') {
    for (size_t i = 0; i < size; ++i) out_.push_back(i < text.size() ? text[i] : pad);
  }
  size_t size() const { return out_.size(); }

 private:
  template <typename T>
  void Le(T v) {
    for (size_t i = 0; i < sizeof(T); ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  std::vector<uint8_t>& out_;
};

// Reads little-endian fields of a received payload; a field past the end reads as 0.
class PayloadReader {
 public:
  explicit PayloadReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint8_t U8(size_t offset) const { return offset < bytes_.size() ? bytes_[offset] : 0; }
  int8_t I8(size_t offset) const { return static_cast<int8_t>(U8(offset)); }
  uint16_t U16(size_t offset) const { return static_cast<uint16_t>(Le(offset, 2)); }
  int16_t I16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }
  uint32_t U32(size_t offset) const { return static_cast<uint32_t>(Le(offset, 4)); }
  int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
  double F64(size_t offset) const { return std::bit_cast<double>(Le(offset, 8)); }
  size_t size() const { return bytes_.size(); }

 private:
  uint64_t Le(size_t offset, size_t count) const {
    uint64_t v = 0;
    for (size_t i = 0; i < count; ++i) v |= static_cast<uint64_t>(U8(offset + i)) << (8 * i);
    return v;
  }
  std::span<const uint8_t> bytes_;
};

// Packed BCD of 0..99.
inline uint8_t ToBcd(int value) {
  return static_cast<uint8_t>(((value / 10) % 10) << 4 | value % 10);
}

}  // namespace vetra::sim
