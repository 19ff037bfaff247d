#pragma once
// The receiver's binary frame, both directions:
//   "%%" | class | id | payload (n bytes) | XOR of class..payload | CR LF
// Multi-byte payload values are little-endian.

#include <cstddef>
#include <cstdint>
#include <span>

namespace vetra {

inline constexpr uint8_t kFrameMarker = 0x25;  // '%', twice
inline constexpr uint8_t kClassCommand = 0xF1;
inline constexpr uint8_t kClassUserCommand = 0xF3;
inline constexpr uint8_t kClassReply = 0xF2;
inline constexpr uint8_t kClassAck = 0x06;
inline constexpr uint8_t kClassNack = 0x15;
inline constexpr size_t kFrameOverhead = 7;  // "%%", class, id, checksum, CR, LF
inline constexpr size_t kMaxFrameSize = 256;  // the send path's frame buffer

// XOR of the given bytes (class byte through the last payload byte).
uint8_t FrameChecksum(std::span<const uint8_t> classToPayload);

// Writes a whole frame into out and returns its length; 0 when out is too small.
size_t BuildFrame(uint8_t frameClass, uint8_t id, std::span<const uint8_t> payload,
                  std::span<uint8_t> out);

// Little-endian readers over a bounded payload; an offset past the end reads as 0.
uint16_t ReadU16(std::span<const uint8_t> p, size_t offset);
int16_t ReadI16(std::span<const uint8_t> p, size_t offset);
uint32_t ReadU32(std::span<const uint8_t> p, size_t offset);
int32_t ReadI32(std::span<const uint8_t> p, size_t offset);
float ReadF32(std::span<const uint8_t> p, size_t offset);
double ReadF64(std::span<const uint8_t> p, size_t offset);
// Packed BCD: high nibble x 10 + low nibble.
inline int Bcd(uint8_t b) { return (b >> 4) * 10 + (b & 0x0F); }

}  // namespace vetra
