#pragma once
// Position statistics of a run of fixes (monitor/fix_sample.h): how accurate and how stable the
// receiver is. Fixes in, figures out; the Statistics window and `vetra stats` compute the same.
//
// Definitions:
// - a fix is every position update with a 2D or 3D fix (3D+ counts as 3D);
// - the mean position is the mean of the fixes taken in ECEF (heights above the ellipsoid: the
//   altitude plus the geoid separation) and converted back, so it is right across the
//   antimeridian and near the poles;
// - the reference is the one given (latitude, longitude and, when given, height) or else the mean
//   position; a reference given without a height takes the mean position's height;
// - east/north/up offsets are those of each fix from the reference in the reference's local frame
//   (decode/geodesy.h); the horizontal error is the east/north distance;
// - CEP50 and CEP95 are the 50th and 95th percentiles of the horizontal errors by linear
//   interpolation between order statistics (the value at rank p x (n - 1) of the sorted errors,
//   counted from 0);
// - 2DRMS is twice the root mean square of the horizontal errors about the same reference; the
//   horizontal RMS is the root mean square itself;
// - vertical figures (the RMS of the up offsets) use 3D fixes with an altitude only.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/geodesy.h"
#include "monitor/fix_sample.h"

namespace vetra {

struct ReferencePosition {
  double latitudeDeg = 0;
  double longitudeDeg = 0;
  std::optional<double> heightM;  // above the ellipsoid; none: the mean position's
};

// "LAT,LON[,ALT]" in signed decimal degrees and metres; nullopt when it does not read as that
// (latitude within +-90, longitude within +-180).
std::optional<ReferencePosition> ParseReference(std::string_view text);

struct PositionStatistics {
  int fixes = 0;
  int fixes2d = 0, fixes3d = 0, fixes3dPlus = 0;
  GeodeticDeg mean;       // the mean position (meaningful when fixes > 0)
  GeodeticDeg reference;  // what the offsets are taken from
  bool referenceGiven = false;
  // Whether any fix gave an ellipsoidal height: without one the heights above are those of the
  // ellipsoid itself, and the reports leave them out rather than print a height nobody measured.
  bool heightKnown = false;
  bool referenceHeightGiven = false;
  std::optional<double> cep50M, cep95M, twoDrmsM, horizontalRmsM, verticalRmsM, maxHorizontalErrorM;
};

// The east/north/up offset of each fix from the reference, in the order of the fixes. Up is NaN
// for a fix without an altitude.
std::vector<EnuOffset> OffsetsFrom(const GeodeticDeg& reference,
                                   const std::vector<FixSample>& fixes);

// The mean position of the fixes (see above); nullopt without fixes.
std::optional<GeodeticDeg> MeanPosition(const std::vector<FixSample>& fixes);

// The reference to use: the given one, its missing height from the mean, or the mean itself.
GeodeticDeg ResolveReference(const std::optional<ReferencePosition>& given,
                             const GeodeticDeg& mean);

PositionStatistics ComputeStatistics(const std::vector<FixSample>& fixes,
                                     const std::optional<ReferencePosition>& given);

// The percentile p (0..1) of values by linear interpolation between order statistics; values
// need not be sorted. nullopt when empty.
std::optional<double> Percentile(std::vector<double> values, double p);

// The report of `vetra stats`: plain text lines, or one JSON object (and a newline).
std::string StatisticsText(const PositionStatistics& statistics);
std::string StatisticsJson(const PositionStatistics& statistics);

// Every fix as CSV, offsets from the reference:
// utc,latitude,longitude,altitude_msl_m,height_ellipsoid_m,fix_mode,satellites_used,hdop,
// east_m,north_m,up_m
// Degrees with 9 decimals (0.1 mm), metres with 3; a value the receiver did not give is empty (the
// ellipsoidal height without the receiver's geoid separation, up for a 2D fix).
std::string StatisticsCsv(const std::vector<FixSample>& fixes, const GeodeticDeg& reference);
// Writes StatisticsCsv to path through a file beside it, renamed over it; false (and nothing
// half-written left behind) when it cannot.
bool WriteStatisticsCsv(const std::string& path, const std::vector<FixSample>& fixes,
                        const GeodeticDeg& reference);

// "1.234 m", or "-" without a value: the window's figures.
std::string MetresText(const std::optional<double>& metres);

}  // namespace vetra
