#pragma once
// The two binary frames of a load through the running firmware.
//
// Start frame, 12 bytes (class F1h, id 72h):
//   25 25 F1 72 06 | address bits 31..16, low byte first | size in KiB, low byte first | XOR | 0D
//   0A
// e.g. address 20000000h, 256 KiB: 25 25 F1 72 06 00 20 00 01 A4 0D 0A.
// Erase frame, 7 bytes (class F1h, id 73h, no payload): 25 25 F1 73 82 0D 0A.
// After the last piece the receiver restarts with the new image and reports its revision
// ($MXTR,REV,...). When it does not, the loader asks once with Query Firmware Revision (class F1h,
// id 05h, payload 01 01): 25 25 F1 05 01 01 F4 0D 0A, answered by the revision reply (F2 80).

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vetra {

inline constexpr std::array<uint8_t, 7> kEraseFrame = {0x25, 0x25, 0xF1, 0x73, 0x82, 0x0D, 0x0A};
inline constexpr std::array<uint8_t, 9> kQueryRevisionFrame = {0x25, 0x25, 0xF1, 0x05, 0x01,
                                                               0x01, 0xF4, 0x0D, 0x0A};
inline constexpr uint8_t kRevisionReplyId = 0x80;  // class F2h
inline constexpr uint32_t kLoadAddressK700 = 0x20000000;
inline constexpr uint32_t kLoadAddressK900 = 0x21000000;

std::array<uint8_t, 12> BuildStartFrame(uint32_t loadAddress, int32_t imageSize);

// The address field's text read as an unsigned 32-bit hexadecimal number the way the C library
// reads it: leading blanks, an optional "0x", then the hex digits up to the first other
// character; no digit gives 0, more than 32 bits keep their low 32.
uint32_t ReadLoadAddress(std::string_view text);
// Strict reading for typed input (the terminal's --address): 1 to 8 hex digits, optional "0x".
std::optional<uint32_t> ParseLoadAddress(std::string_view text);

}  // namespace vetra
