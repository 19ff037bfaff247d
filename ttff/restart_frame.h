#pragma once
// The restart frame the start-up time test sends (class F1h, id 01h, 23 bytes):
//   25 25 F1 01 | mode (2) | year (2, low byte first) month day hour minute second 00 |
//   latitude x 100 (2) | longitude x 100 (2) | 00 00 | XOR of bytes 2..19 | 0D 0A
// Modes: hot 00 00, warm 01 02, cold 01 03. Hot and warm carry the PC clock's UTC time and the last
// position's magnitudes (hemispheres are not applied, so the fields are never negative), times 100
// and truncated; cold always carries 2004-02-14 00:00:00 and the position fields 24 and 13.
// (The command tree's own Restart sends 00 01 for HOT; the test's hot restart is 00 00.)

#include <array>
#include <cstddef>
#include <cstdint>

namespace vetra {

enum class TestType { Hot = 1, Warm = 2, Cold = 3 };

inline constexpr size_t kTestRestartFrameSize = 23;

std::array<uint8_t, kTestRestartFrameSize> BuildTestRestartFrame(TestType type, int64_t utcSeconds,
                                                                 double latitudeDeg,
                                                                 double longitudeDeg);

}  // namespace vetra
