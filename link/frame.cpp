#include "link/frame.h"

#include <bit>
#include <cstring>

namespace vetra {

uint8_t FrameChecksum(std::span<const uint8_t> classToPayload) {
  uint8_t sum = 0;
  for (uint8_t b : classToPayload) sum ^= b;
  return sum;
}

size_t BuildFrame(uint8_t frameClass, uint8_t id, std::span<const uint8_t> payload,
                  std::span<uint8_t> out) {
  const size_t length = payload.size() + kFrameOverhead;
  if (out.size() < length) return 0;
  out[0] = kFrameMarker;
  out[1] = kFrameMarker;
  out[2] = frameClass;
  out[3] = id;
  if (!payload.empty()) std::memcpy(out.data() + 4, payload.data(), payload.size());
  out[4 + payload.size()] = FrameChecksum(out.subspan(2, payload.size() + 2));
  out[5 + payload.size()] = 0x0D;
  out[6 + payload.size()] = 0x0A;
  return length;
}

namespace {
template <typename T>
T ReadLe(std::span<const uint8_t> p, size_t offset) {
  if (offset > p.size() || p.size() - offset < sizeof(T)) return T{};
  uint8_t bytes[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = p[offset + i];
  if constexpr (std::endian::native == std::endian::big) {
    for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
  }
  T value;
  std::memcpy(&value, bytes, sizeof(T));
  return value;
}
}  // namespace

uint16_t ReadU16(std::span<const uint8_t> p, size_t offset) { return ReadLe<uint16_t>(p, offset); }
int16_t ReadI16(std::span<const uint8_t> p, size_t offset) { return ReadLe<int16_t>(p, offset); }
uint32_t ReadU32(std::span<const uint8_t> p, size_t offset) { return ReadLe<uint32_t>(p, offset); }
int32_t ReadI32(std::span<const uint8_t> p, size_t offset) { return ReadLe<int32_t>(p, offset); }
float ReadF32(std::span<const uint8_t> p, size_t offset) { return ReadLe<float>(p, offset); }
double ReadF64(std::span<const uint8_t> p, size_t offset) { return ReadLe<double>(p, offset); }

}  // namespace vetra
