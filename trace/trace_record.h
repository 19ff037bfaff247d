#pragma once
// One record of the receiver's trace memory: the 20-byte payload of an F2 88 frame.
//   0  u16 date: bits 0-4 day, 5-8 month, 9-15 years since 1980
//   2  u16 time of day in units of 2 seconds
//   4  i32 ECEF X, 8 i32 ECEF Y, 12 i32 ECEF Z (metres)
//   16 i8  a value passed through as a number
//   17 u8  not interpreted
//   18 u16 status word: bits 13 and 12 are flags, AND 02FFh is a number

#include <cstdint>
#include <span>

namespace vetra {

inline constexpr int kTracePayloadSize = 20;
inline constexpr uint8_t kTraceRecordId = 0x88;

struct TraceRecord {
  int year = 0, month = 0, day = 0;
  int timeField = 0;  // units of 2 seconds
  int32_t x = 0, y = 0, z = 0;
  int value = 0;  // the signed byte at offset 16
  uint16_t status = 0;

  int statusNumber() const { return status & 0x02FF; }
  int flag13() const { return (status >> 13) & 1; }
  int flag12() const { return (status >> 12) & 1; }
};

TraceRecord DecodeTraceRecord(std::span<const uint8_t, kTracePayloadSize> payload);

// Packs a record back into its payload (the virtual receiver's trace memory and tests).
void EncodeTraceRecord(const TraceRecord& record, std::span<uint8_t, kTracePayloadSize> payload);

}  // namespace vetra
