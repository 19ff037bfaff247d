#pragma once
// What the View page shows, computed from the display copy of the navigation record: texts,
// colours, sky-view points, C/N0 bars and measurement-grid rows. Widgets only paint these.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/nav_record.h"

namespace vetra {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline constexpr Rgb kGrey{128, 128, 128};
inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

struct SkyPoint {
  int x = 0, y = 0;  // -90..90, zenith at the centre, north up, east right
  std::string label;
  Rgb colour;
  bool fixed = false;  // true: SatSeries (circles); false: Series1 "Unfixies" (triangles)
  friend bool operator==(const SkyPoint&, const SkyPoint&) = default;
};

struct Cn0Bar {
  int value = 0;  // dB-Hz
  std::string label;
  Rgb colour;
  friend bool operator==(const Cn0Bar&, const Cn0Bar&) = default;
};

struct PositionView {
  std::string time;                    // lbTime
  std::optional<std::string> fixText;  // lbFix; nullopt: leave the label as it is
  Rgb fixColour;
  std::string latitude, longitude, altitude, pdop, hdop, inView, used, speed, heading;
  std::vector<SkyPoint> points;
  std::vector<Cn0Bar> bars;
  int cn0AxisMax = 12;  // the channel count
  std::string bigSnr;   // lbBigSNR
};

// coordinateFormat: 0 decimal degrees, 1 degrees and minutes run together, 2 d'm''s.
// Latitude and longitude come from the record's exact fix (the receiver's own digits) whenever
// it holds one, else from the 32-bit fields.
PositionView MakePositionView(const TNavRecord& record, int coordinateFormat, int channelCount);
// A magnitude in degrees with its hemisphere letter. The value is rounded to the format's
// resolution (1e-6 degree, 1e-4 minute, 0.1 second) before it is split into degrees, minutes and
// seconds, so a whole minute shows as "49'17''0.0 N", never as "49'16''60.0 N".
std::string FormatCoordinate(double degrees, char hemisphere, int coordinateFormat);

struct MeasurementView {
  std::string clock, utc, clockBias, timeBias,
      frequencyBias;  // lbClkOff, edMeasUTC, edCB, edTB, edFB
  // Rows 1..N of sgMeas, columns 1..9; nullopt: the row keeps what it showed.
  std::vector<std::optional<std::array<std::string, 9>>> rows;
};

MeasurementView MakeMeasurementView(const TNavRecord& record, bool secondChip, int accessLevel);
std::string HealthText(int healthCode, uint16_t statusWord, bool secondChip, int accessLevel);

// The toolkit's general floating-point text: the shortest form with up to 15 significant digits.
std::string GeneralFloatText(double value);

}  // namespace vetra
