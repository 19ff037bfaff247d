#pragma once
// The binary navigation frames the virtual receiver sends once per epoch when its output format
// is binary (class F2; payload sizes fixed by the receiver's message table):
//   F2 D0 / D1  navigation fix, 37 bytes (speed in 0.1 m/s / in m/s)
//   F2 D2 / D5  channel status, 6 + 8 x channels (12 on the K700, 16 on the K900)
//   F2 D3 / D6  measurements, 8 + 12 x channels
//   F2 D4       clock solution, 32 bytes
// Channels beyond the satellites in view carry PRN 0 and zeros.

#include <cstdint>
#include <span>
#include <vector>

#include "sim/epoch_report.h"

namespace vetra::sim {

inline constexpr uint8_t kIdNavFixDeciMps = 0xD0;
inline constexpr uint8_t kIdNavFixMps = 0xD1;
inline constexpr uint8_t kIdChannelStatus12 = 0xD2;
inline constexpr uint8_t kIdMeasurements12 = 0xD3;
inline constexpr uint8_t kIdClockSolution = 0xD4;
inline constexpr uint8_t kIdChannelStatus16 = 0xD5;
inline constexpr uint8_t kIdMeasurements16 = 0xD6;

inline constexpr size_t kNavFixSize = 37;
inline constexpr size_t kClockSolutionSize = 32;
inline constexpr size_t ChannelStatusSize(int channels) { return 6 + 8 * channels; }
inline constexpr size_t MeasurementsSize(int channels) { return 8 + 12 * channels; }

std::vector<uint8_t> NavFixPayload(const EpochReport& r, bool speedInMps);
std::vector<uint8_t> ChannelStatusPayload(const EpochReport& r, int channels);
std::vector<uint8_t> MeasurementsPayload(const EpochReport& r, int channels);
std::vector<uint8_t> ClockSolutionPayload(const EpochReport& r);

// Appends "%%" class id payload checksum CR LF to out.
void AppendFrame(std::vector<uint8_t>& out, uint8_t frameClass, uint8_t id,
                 std::span<const uint8_t> payload);

// Status word bit 8: the satellite is used in the fix.
inline constexpr uint16_t kStatusUsedInFix = 0x0100;

}  // namespace vetra::sim
