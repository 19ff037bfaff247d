#pragma once
// Epoch: everything one receiver reports for one instant, as one value. Made by the epoch
// assembler (epoch_assembler.h) from the NMEA sentences of any receiver (any talker) or from the
// module's binary navigation output; read by everything that evaluates a receiver or feeds other
// programs: sharing (one gpsd TPV and SKY per epoch), the position statistics, `vetra stats`,
// `vetra decode --brief`, `vetra monitor`, and the comparison of two receivers.
//
// A value the receiver did not give is NaN (or nullopt), never 0: a missing height stays missing
// all the way to the screen, the CSV and the gpsd client. Positions keep the receiver's own digits
// (doubles from the sentence text).

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace vetra {

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// The satellite systems, numbered as gpsd's "gnssid" (gpsd_json(5)).
enum class GnssSystem : uint8_t {
  Gps = 0,
  Sbas = 1,
  Galileo = 2,
  Beidou = 3,
  Imes = 4,
  Qzss = 5,
  Glonass = 6,
  Navic = 7,
};

struct EpochSatellite {
  GnssSystem system = GnssSystem::Gps;
  int svid = 0;       // the number within its system (gpsd's "svid")
  int prn = 0;        // gpsd's "PRN" numbering across systems
  int signalId = -1;  // NMEA 4.10 signal id of the GSV it came from; -1: none given
  double elevationDeg = kNoValue;
  double azimuthDeg = kNoValue;
  double cn0DbHz = kNoValue;  // NaN: not tracked
  bool used = false;          // in the solution (a GSA of the epoch names it)
};

// One table of fix modes for the whole program: what a receiver says its fix is.
enum class FixMode : uint8_t { None, TwoD, ThreeD };
// How the fix was made, best last among the satellite fixes; gpsd's "status" in brackets.
enum class FixQuality : uint8_t {
  Invalid,        // no fix
  Autonomous,     // (1) a plain GNSS fix
  Differential,   // (2) DGPS or SBAS
  RtkFloat,       // (4)
  RtkFixed,       // (3)
  DeadReckoning,  // (5) estimated
  Manual,         // position entered by hand
  Simulated,      // (8)
};

struct UtcDate {
  int year = 0;  // four digits
  int month = 0;
  int day = 0;
  bool operator==(const UtcDate&) const = default;
};

enum class EpochSource : uint8_t { Nmea, Binary };

struct Epoch {
  EpochSource source = EpochSource::Nmea;
  std::string talker;  // "GP", "GN" ... of the sentences that gave the position; empty for binary

  // UTC: the time of day in milliseconds since midnight; the date when known: the epoch's own RMC
  // or ZDA, else carried from an earlier epoch (to the next day when the time of day went back).
  int64_t timeOfDayMs = -1;  // -1: no time
  std::optional<UtcDate> date;

  FixMode mode = FixMode::None;
  FixQuality quality = FixQuality::Invalid;

  double latitudeDeg = kNoValue;   // signed, north positive
  double longitudeDeg = kNoValue;  // signed, east positive
  double altitudeMslM = kNoValue;  // above mean sea level
  double geoidSeparationM = kNoValue;
  double speedMs = kNoValue;   // over ground
  double trackDeg = kNoValue;  // course over ground, true
  double climbMs = kNoValue;   // from consecutive heights

  double hdop = kNoValue, vdop = kNoValue, pdop = kNoValue;
  double xdop = kNoValue, ydop = kNoValue, tdop = kNoValue, gdop = kNoValue;

  // Error estimates in metres as gpsd computes them (95 %): from GST when the receiver sends it,
  // else from the DOPs.
  double eph = kNoValue, epv = kNoValue, epx = kNoValue, epy = kNoValue;
  double ept = kNoValue;  // seconds

  int satellitesUsed = -1;  // as the receiver counts them (GGA); -1: not given
  // Every satellite in view, with its used flag; empty when the epoch had no GSV (or binary
  // channel data).
  std::vector<EpochSatellite> satellites;
  bool hasSky = false;  // the epoch gave a satellite view (GSV or channel data), maybe empty

  bool hasTime() const { return timeOfDayMs >= 0; }
  bool hasFix() const { return mode != FixMode::None && !std::isnan(latitudeDeg); }
  bool threeD() const { return mode == FixMode::ThreeD; }
  // MSL height plus geoid separation; NaN when either is missing.
  double EllipsoidHeightM() const { return altitudeMslM + geoidSeparationM; }
  // Seconds since 1970 when the date is known, else seconds of the day; NaN without a time.
  double UtcSeconds() const;
  // "2024-05-01T12:00:00.250Z"; "12:00:00.250Z" without a date; empty without a time.
  std::string UtcText() const;
};

// "no fix", "2D", "3D" (and "3D DGPS", "3D RTK fixed" ... with the quality).
const char* FixModeText(FixMode mode);
// "no fix", "autonomous", "DGPS", "RTK float", "RTK fixed", "dead reckoning", "manual",
// "simulated".
const char* FixQualityText(FixQuality quality);
// The mode with the quality when it is more than a plain fix: "3D", "3D DGPS", "2D RTK float".
std::string FixText(FixMode mode, FixQuality quality);
// gpsd's TPV "mode" (1 no fix, 2, 3) and "status" (0 for a plain fix or none: left out; 2 DGPS,
// 3 RTK fixed, 4 RTK float, 5 dead reckoning, 8 simulated).
int GpsdMode(FixMode mode);
int GpsdStatus(FixQuality quality);

}  // namespace vetra
