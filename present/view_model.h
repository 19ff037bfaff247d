#pragma once
// What the View page shows, computed from the display copy of the navigation record: texts,
// colours, sky-view points, C/N0 bars and measurement-grid rows. Widgets only paint these.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/nav_record.h"
#include "present/colour.h"

namespace vetra {

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

// One row of the satellite table (sgSats): the satellites in view, in the order of the PRN
// list, as the sky view and the C/N0 chart show them.
struct SatelliteRow {
  std::string prn, elevation, azimuth, cn0, used;
  friend bool operator==(const SatelliteRow&, const SatelliteRow&) = default;
};
// Headings with their units on a second line, so that the columns stay narrow.
inline constexpr const char* kSatelliteHeadings[] = {"PRN", "Elev\n°", "Azim\n°", "C/N0\ndB-Hz",
                                                     "Used"};

// The sky view's legend: what its colours and shapes mean.
struct SkyLegendEntry {
  const char* text;
  Rgb colour;
  bool circle;  // circle: used in the fix (SatSeries); triangle: not used (Series1)
};
inline constexpr SkyLegendEntry kSkyLegend[] = {
    {"used, 3D", kGreen, true}, {"used, 2D", kBlue, true}, {"not used", kWhite, false}};

// The plot areas of the sky view and the C/N0 chart are dark on every palette, because
// satellites that are not used are drawn white. Labels on them use a lighter shade of the dark
// green and the pure blue, which are hard to read there; bodies keep the exact colours.
inline constexpr Rgb kPlotBackground{0x16, 0x1a, 0x1f};
inline constexpr Rgb kPlotGrid{0x4a, 0x55, 0x61};
inline constexpr Rgb kPlotText{0xb8, 0xc2, 0xcc};
Rgb PlotLabelColour(Rgb satelliteColour);

// A value the receiver did not give (an empty altitude field): an en dash, not a made-up 0.
inline constexpr char kMissingValueText[] = "\u2013";

struct PositionView {
  std::string time;                    // lbTime: date, then the time of day with "UTC"
  std::optional<std::string> fixText;  // lbFix; nullopt: leave the label as it is
  Rgb fixColour;
  std::string latitude, longitude, altitude, pdop, hdop, inView, used, speed, heading;
  std::vector<SkyPoint> points;
  std::vector<Cn0Bar> bars;
  int cn0AxisMax = 12;  // the channel count
  std::string bigSnr;   // lbBigSNR
  std::vector<SatelliteRow> satellites;
};

// coordinateFormat: 0 decimal degrees, 1 degrees and minutes run together, 2 d'm''s.
// Latitude and longitude come from the record's exact fix (the receiver's own digits) whenever
// it holds one, else from the 32-bit fields. A fix whose sentence left the altitude empty shows
// kMissingValueText for it.
PositionView MakePositionView(const TNavRecord& record, int coordinateFormat, int channelCount);
// A magnitude in degrees with its hemisphere letter. The value is rounded to the format's
// resolution (1e-6 degree, 1e-4 minute, 0.1 second) before it is split into degrees, minutes and
// seconds, so a whole minute shows as "49'17''0.0 N", never as "49'16''60.0 N".
std::string FormatCoordinate(double degrees, char hemisphere, int coordinateFormat);

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
