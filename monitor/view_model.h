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
PositionView MakePositionView(const TNavRecord& record, int coordinateFormat, int channelCount);
std::string FormatCoordinate(float degrees, char hemisphere, int coordinateFormat);

struct MeasurementView {
  std::string clock, utc, clockBias, timeBias,
      frequencyBias;  // lbClkOff, edMeasUTC, edCB, edTB, edFB
  // Rows 1..N of sgMeas, columns 1..9: a channel without a valid PRN, or beyond the satellites in
  // view, gives an empty row (no stale values of an earlier satellite).
  std::vector<std::array<std::string, 9>> rows;
};

// Whether CLOCK (lbClkOff) and the grid (sgMeas) are shown. A record from binary replies shows
// them; a record from NMEA sentences hides them, but only once no binary record has come for
// kQuietSeconds: with NMEA and binary output together they stay, instead of coming and going
// with every pass.
class MeasurementVisibility {
 public:
  static constexpr int64_t kQuietSeconds = 3;
  // The visibility after a record (from binary replies or not) was shown at nowSeconds.
  bool Shown(bool fromBinary, int64_t nowSeconds);

 private:
  std::optional<int64_t> lastBinarySeconds_;
};

MeasurementView MakeMeasurementView(const TNavRecord& record, bool secondChip, int accessLevel);
std::string HealthText(int healthCode, uint16_t statusWord, bool secondChip, int accessLevel);

// The toolkit's general floating-point text: the shortest form with up to 15 significant digits.
std::string GeneralFloatText(double value);

}  // namespace vetra
