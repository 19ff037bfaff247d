#pragma once
// The NMEA 0183 reader of evaluation and sharing: one whole sentence of any receiver into a typed
// value. It is not the module's monitoring parser (decode/nmea.h, which keeps the module's own
// rules): this one reads every talker (GP, GL, GA, GB/BD, GQ/QZ, GI, GN), sentences of up to 120
// characters, any number of satellites in a GSV, and the system id of NMEA 4.10 in GSA and GSV.
//
// What it promises:
// - The text given is one sentence from its '$' to its last character, line end removed
//   ("$GPGGA,...*6C"). A sentence with a checksum is read only when the checksum matches; one
//   without is read as it stands. Characters outside printable ASCII (a NUL of a cut-off line)
//   make the sentence unreadable.
// - A sentence with fewer fields than its kind needs is dropped (Malformed), so a sentence cut off
//   without a checksum ("$GPRMC,000346.03,A,4808") never gives a position.
// - Fields are read through a checked reader (std::string_view, std::from_chars): an empty or
//   unreadable field is "not given" (NaN, -1), never 0, and never read past.
// - Positions keep the receiver's digits: degrees and minutes are read as one double and split.
// - Satellites are keyed by system and number with gpsd's gnssid/svid and PRN numbering
//   (satellite_ids.h).

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

#include "epoch/epoch.h"

namespace vetra {

// The sentence kinds the epoch assembler reads; Other is a whole sentence of any other kind.
enum class SentenceKind : uint8_t { Other, Gga, Gns, Rmc, Gll, Gsa, Gsv, Vtg, Zda, Gst };

// A UTC time of day in milliseconds since midnight; -1 when the field is empty or unreadable.
using TimeOfDayMs = int64_t;

// $GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,0000,0000*6C
struct GgaSentence {
  TimeOfDayMs timeMs = -1;
  double latitudeDeg = kNoValue, longitudeDeg = kNoValue;
  int quality = -1;  // 0 no fix, 1 GPS, 2 DGPS, 3 PPS, 4 RTK fixed, 5 RTK float, 6 estimated ...
  int satellitesUsed = -1;
  double hdop = kNoValue, altitudeMslM = kNoValue, geoidSeparationM = kNoValue;
};

// $GNGNS,014035.00,4332.69262,S,17235.48549,E,RR,13,0.9,25.63,11.24,,*70
struct GnsSentence {
  TimeOfDayMs timeMs = -1;
  double latitudeDeg = kNoValue, longitudeDeg = kNoValue;
  char mode = 0;  // the best of the per-system mode letters (N A D P R F E M S); 0 none
  int satellitesUsed = -1;
  double hdop = kNoValue, altitudeMslM = kNoValue, geoidSeparationM = kNoValue;
};

// $GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E,A*68
struct RmcSentence {
  TimeOfDayMs timeMs = -1;
  bool valid = false;  // status 'A'
  double latitudeDeg = kNoValue, longitudeDeg = kNoValue;
  double speedMs = kNoValue, trackDeg = kNoValue;
  std::optional<UtcDate> date;
  char mode = 0;  // NMEA 2.3 mode letter; 0 none
};

// $GPGLL,4916.45,N,12311.12,W,225444,A,A*5C
struct GllSentence {
  double latitudeDeg = kNoValue, longitudeDeg = kNoValue;
  TimeOfDayMs timeMs = -1;
  bool valid = false;  // status 'A'
  char mode = 0;
};

// $GNGSA,A,3,80,71,73,79,69,,,,,,,,1.83,1.09,1.47,2*0B
struct GsaSentence {
  static constexpr int kMaxSatellites = 32;
  int fixType = -1;  // 1 no fix, 2 2D, 3 3D
  std::array<uint16_t, kMaxSatellites> prns{};
  int prnCount = 0;
  double pdop = kNoValue, hdop = kNoValue, vdop = kNoValue;
  int systemId = -1;  // NMEA 4.10: 1 GPS, 2 GLONASS, 3 Galileo, 4 BeiDou, 5 QZSS, 6 NavIC
};

struct GsvSatellite {
  int number = 0;  // as the sentence numbers it (NMEA satellite id)
  double elevationDeg = kNoValue, azimuthDeg = kNoValue, cn0DbHz = kNoValue;
};

// $GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74
struct GsvSentence {
  static constexpr int kMaxSatellites = 24;  // 120 characters hold 21 at the most
  int messages = -1, messageNumber = -1, inView = -1;
  std::array<GsvSatellite, kMaxSatellites> satellites{};
  int satelliteCount = 0;
  int signalId = -1;  // NMEA 4.10; -1 not given
};

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48
struct VtgSentence {
  double trackDeg = kNoValue, speedMs = kNoValue;
  char mode = 0;
};

// $GPZDA,201530.00,04,07,2002,00,00*60
struct ZdaSentence {
  TimeOfDayMs timeMs = -1;
  std::optional<UtcDate> date;
};

// $GPGST,172814.0,0.006,0.023,0.020,273.6,0.023,0.020,0.031*6A
struct GstSentence {
  TimeOfDayMs timeMs = -1;
  double rangeRms = kNoValue, semiMajorM = kNoValue, semiMinorM = kNoValue,
         orientationDeg = kNoValue;
  double latitudeSigmaM = kNoValue, longitudeSigmaM = kNoValue, altitudeSigmaM = kNoValue;
};

struct NmeaSentence {
  SentenceKind kind = SentenceKind::Other;
  char talker[2] = {0, 0};  // "GP", "GN" ... ; "P" and 0 for a proprietary sentence
  std::variant<std::monostate, GgaSentence, GnsSentence, RmcSentence, GllSentence, GsaSentence,
               GsvSentence, VtgSentence, ZdaSentence, GstSentence>
      value;

  std::string_view talkerText() const { return {talker, talker[1] ? 2u : (talker[0] ? 1u : 0u)}; }
  // The sentence's UTC time of day, -1 for a kind without one or an empty time field.
  TimeOfDayMs timeMs() const;
};

enum class ReadOutcome : uint8_t {
  Read,           // a kind of SentenceKind, its value filled
  Other,          // a whole sentence of another kind (proprietary, RMB ...): nothing to read
  ChecksumError,  // its checksum did not match
  Malformed,      // too few fields for its kind, too long, unprintable, no address
};

inline constexpr size_t kMaxSentenceLength = 120;  // '$' to the last character, line end apart

ReadOutcome ReadNmeaSentence(std::string_view text, NmeaSentence& out);

// The satellite system a talker names ("GP" GPS, "GL" GLONASS ...); nullopt for "GN" (several)
// and unknown talkers.
std::optional<GnssSystem> SystemOfTalker(std::string_view talker);

}  // namespace vetra
