#pragma once
// What the virtual receiver knows at one navigation epoch: time, fix, position, dilution of
// precision and its channels. The NMEA sentences and the binary navigation frames are both
// written from this one report, so that they always tell the same story.

#include <cstdint>
#include <vector>

#include "sim/motion_model.h"

namespace vetra::sim {

struct UtcTime {
  int year = 1980, month = 1, day = 6, hour = 0, minute = 0, second = 0, millisecond = 0;
};
// Civil UTC from milliseconds since 1970-01-01 (no leap seconds, as UTC clocks count).
UtcTime UtcFromMs(int64_t utcMs);

// GPS time: whole weeks since 1980-01-06 and seconds into the week (18 leap seconds ahead of UTC).
struct GpsTime {
  int week = 0;
  double secondsOfWeek = 0;
};
GpsTime GpsFromUtcMs(int64_t utcMs);

struct ChannelReport {
  int prn = 0;
  int elevationDeg = 0;
  int azimuthDeg = 0;
  int cn0DbHz = 0;  // 0 while the channel has not locked
  bool tracked = false;
  bool used = false;   // used in the fix (the GSA list, bit 8 of the status word)
  uint8_t health = 0;  // 0 good; other codes say why a tracked satellite is not used
  int32_t pseudorangeM = 0;
  int32_t deltaRangeMmps = 0;  // range rate in mm/s
  int16_t dopplerHz = 0;
};

struct EpochReport {
  int64_t utcMs = 0;
  bool fix = false;
  bool differential = false;  // DGPS (WAAS) corrections applied: GGA quality 2
  int fixMode = 0;            // 0 no fix, 1 2D, 2 3D (GSA's mode is fixMode + 1)
  AntennaPosition position;
  double geoidSeparationM = -16.9;
  double pdop = 0, hdop = 0, vdop = 0;
  std::vector<ChannelReport> channels;  // satellites in view, in channel order
  int satellitesUsed = 0;
  double clockBiasM = 0;
  float frequencyBiasHz = 0;
  uint16_t clockValue = 0;
  int zoneHours = 0;  // local zone (Set Locale), shown in ZDA
  int zoneMinutes = 0;
};

}  // namespace vetra::sim
