#pragma once
// The navigation record: what a parser knows about time, fix, position and satellites.
// TNmea and TBinary each fill one; the receiver conversation copies a whole record at a time into
// its display copy, so all three share this one plain type. Field order and widths follow the
// receiver data they hold (PRN numbering from 1: satellites[prn - 1]).

#include <cstdint>
#include <limits>

namespace vetra {

inline constexpr int kSatelliteCount = 64;  // entries indexed by PRN - 1
inline constexpr int kChannelCount = 16;    // receiver channels (12 on the K700, 16 on the K900)

struct TSatellite {
  int32_t signal = 0;     // signal or code value (health code from the binary channel reply)
  int32_t elevation = 0;  // degrees
  int32_t azimuth = 0;    // degrees
  int32_t used = 0;       // 1 when used in the fix
  int32_t channel = 0;    // receiver channel index
};

struct TChannel {
  uint16_t status = 0;  // status word; bit 8: used in the fix
  int32_t cn0 = 0;      // dB-Hz
  int32_t prn = 0;
  int32_t pseudorange = 0;
  int32_t deltaRange = 0;
  int16_t doppler = 0;
  uint16_t health = 0;
};

// A fix as the receiver gave it, at the precision of its own digits (a sentence's minutes to eight
// decimals, a frame's 32-bit floats), for everything that leaves the program: screen texts,
// sharing, statistics and exports. The record's 32-bit fields keep the receiver data's formats;
// these doubles travel beside them. NaN (or -1) means the receiver has not given the value.
struct TExactFix {
  static constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
  double latitudeDeg = kUnknown;       // signed, north positive
  double longitudeDeg = kUnknown;      // signed, east positive
  double altitudeMslM = kUnknown;      // above mean sea level
  double geoidSeparationM = kUnknown;  // the ellipsoid's height above mean sea level
  double speedMs = kUnknown;           // over ground
  double trackDeg = kUnknown;          // course over ground, true
  int32_t millisecond = -1;            // of the record's UTC second
};

struct TNavRecord {
  uint8_t updated = 0;  // new data for the display; cleared when the conversation copies it
  int32_t restartCounter = 0;
  int16_t speedKmh = 0;  // -1 after a reset: no speed since the last restart
  int16_t headingDeg = 0;
  float latitudeDeg = 0;  // magnitude; the hemisphere letter carries the sign
  char latitudeHemisphere = 0;
  float longitudeDeg = 0;
  char longitudeHemisphere = 0;
  int16_t altitudeM = 0;
  int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;  // UTC, four-digit year
  int32_t fixIndicator = 0;  // 5 no fix, 0 GPS fix, 1 differential fix
  int32_t fixMode = 0;       // 0 no fix, 1 2D, 2 3D, 3 3D+
  char status = 0;           // GSA selection mode
  float pdop = 0, hdop = 0, vdop = 0;
  TSatellite satellites[kSatelliteCount] = {};
  int32_t prnList[kChannelCount] = {};
  int32_t satellitesInView = 0;
  int32_t satellitesUsed = 0;
  int32_t dateCode = 0;
  uint16_t clockValue = 0;
  double measurementUtc = 0, clockBias = 0, timeBias = 0;
  float frequencyBias = 0;
  uint8_t reserved[4] = {};
  TChannel channels[kChannelCount] = {};
  TExactFix exact;
};

// The record reset that both parsers share (a monitoring restart): no fix, no speed, no satellites
// used. Date, time, the PRN list, channel values and the binary-only fields keep their values.
inline void ResetNavRecord(TNavRecord& r) {
  r.restartCounter = 0;
  r.speedKmh = -1;
  r.headingDeg = 0;
  r.latitudeDeg = 0;
  r.latitudeHemisphere = 'N';
  r.longitudeDeg = 0;
  r.longitudeHemisphere = 'E';
  r.altitudeM = 0;
  r.status = 'A';
  r.pdop = r.hdop = r.vdop = 0;
  r.satellitesInView = 0;
  r.satellitesUsed = 0;
  r.fixIndicator = 5;
  r.fixMode = 0;
  r.exact = TExactFix{};
  for (int prn = 1; prn <= 16; ++prn) r.satellites[prn - 1].used = 0;
}

}  // namespace vetra
