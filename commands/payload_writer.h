#pragma once
// Collects the fields of a command frame in wire order (little-endian, two's complement, narrow
// fields keep their low bits) and hands them to BuildFrame with the class and id of the command's
// catalogue row.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "commands/command_descriptor.h"
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

  // The whole frame of the command being encoded.
  FrameBytes Frame(const CommandDescriptor& command) const {
    FrameBytes frame(size_ + kFrameOverhead);
    BuildFrame(command.frameClass, command.id, bytes(), frame);
    return frame;
  }
  // That frame as an encoder's whole result.
  Encoded Command(const EncodeInput& input, CommandEffects effects = {}) const {
    return {{Frame(input.command)}, effects};
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
