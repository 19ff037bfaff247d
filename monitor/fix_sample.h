#pragma once
// One position update with a 2D or 3D fix, as the position statistics and their CSV export keep
// it: the receiver's UTC time, the position at the precision of its own digits (the record's
// exact fix, never its 32-bit floats), heights, fix mode, satellites used, HDOP and the C/N0 of
// the satellites in view. Taken from a parser's record right after a line that decoded a position
// (a GGA or RMC sentence, a binary fix frame), so NMEA and binary output count alike.
//
// A receiver sends several position sentences per epoch (GGA and RMC with the same time): FixSeries
// keeps one sample per epoch, the last one, whose record holds what every sentence of the epoch
// said.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/nav_record.h"

namespace vetra {

struct FixSample {
  int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int32_t millisecond = -1;  // -1: the receiver gave none
  int32_t fixMode = 0;       // 1 2D, 2 3D, 3 3D+
  double latitudeDeg = 0;    // signed, north positive
  double longitudeDeg = 0;   // signed, east positive
  double altitudeMslM = TExactFix::kUnknown;
  double geoidSeparationM = TExactFix::kUnknown;
  int32_t satellitesUsed = 0;
  float hdop = 0;
  std::array<uint8_t, kSatelliteCount> cn0ByPrn{};  // dB-Hz by PRN - 1; 0: not in view

  bool threeD() const { return fixMode == 2 || fixMode == 3; }
  // Above the ellipsoid: the altitude plus the geoid separation (0 when the receiver gave none);
  // NaN without an altitude.
  double EllipsoidHeightM() const;
  // Seconds on one scale for the plots: since 1970 when the date is known, else of the day.
  double UtcSeconds() const;
  bool SameEpoch(const FixSample& other) const;
};

// The sample of a record that holds a 2D or 3D fix with a position; nullopt otherwise.
std::optional<FixSample> FixSampleOf(const TNavRecord& record);

// "2024-05-01T12:00:00.250Z" (milliseconds only when the receiver gave them).
std::string UtcText(const FixSample& sample);
// "2D", "3D", "3D+".
const char* FixModeName(int32_t fixMode);

// The fixes of a run in order, one per epoch.
class FixSeries {
 public:
  // A sample of the same epoch as the last one replaces it.
  void Add(const FixSample& sample);
  void Clear() { samples_.clear(); }
  const std::vector<FixSample>& samples() const { return samples_; }

 private:
  std::vector<FixSample> samples_;
};

}  // namespace vetra
