#pragma once
// Position statistics of a run of fixes (statistics/fix_sample.h, one per epoch): how accurate and
// how stable the receiver is. Fixes in, figures out; the Statistics window and `vetra stats`
// compute the same with the same StatisticsModel.
//
// Definitions:
// - a fix is every epoch with a 2D or 3D fix (3D+ counts as 3D);
// - the mean position is the mean of the fixes taken in ECEF and converted back, so it is right
//   across the antimeridian and near the poles; its height is the mean of the ellipsoidal heights
//   (MSL + geoid separation) of the fixes that have one;
// - the reference is the one given (latitude, longitude and, when given, height) or else the mean
//   position; a reference given without a height takes the mean position's height;
// - east/north/up offsets are those of each fix from the reference in the reference's local frame
//   (decode/geodesy.h); the horizontal error is the east/north distance;
// - CEP50 and CEP95 are the 50th and 95th percentiles of the horizontal errors by linear
//   interpolation between order statistics (the value at rank p x (n - 1) of the sorted errors,
//   counted from 0);
// - 2DRMS is twice the root mean square of the horizontal errors about the same reference; the
//   horizontal RMS is the root mean square itself;
// - vertical figures (the RMS of the up offsets) use 3D fixes with an ellipsoidal height only.
//
// Memory that does not grow with the run: the mean and the RMS figures come from sums (the first
// and second moments of the ECEF positions about the first fix), exact for any reference however
// long the run. The percentiles (CEP50, CEP95, the largest error) are exact up to exactFixes
// fixes (a million; 12 bytes each: the ECEF offset from the first fix in floats, to 0.06 mm
// within a kilometre of it); beyond, every horizontal error is counted in bins of 1 mm
// about the reference in force at that moment (the mean of the fixes so far, or the one given),
// and the percentiles are read from the bins, to half a millimetre. The figures say which
// (percentilesBinned). When the reference changes after that, the bins start again with the
// fixes that follow, and percentileFixes says how many they are.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/geodesy.h"
#include "statistics/fix_sample.h"

namespace vetra {

struct ReferencePosition {
  double latitudeDeg = 0;
  double longitudeDeg = 0;
  std::optional<double> heightM;  // above the ellipsoid; none: the mean position's
  bool operator==(const ReferencePosition&) const = default;
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
  // Where CEP50, CEP95 and the largest error come from: every fix (false), or bins of 1 mm
  // (beyond exactFixes fixes) of percentileFixes fixes.
  bool percentilesBinned = false;
  int64_t percentileFixes = 0;
  int64_t exactFixes = 0;
};

// The ECEF position of a fix: its ellipsoidal height, else its MSL height, else on the ellipsoid
// (the horizontal offsets barely depend on the height; the vertical ones use only fixes with an
// ellipsoidal height).
std::array<double, 3> EcefOf(const FixSample& fix);
// The east/north/up offset of a fix from the reference; up is NaN without an ellipsoidal height.
EnuOffset OffsetFrom(const GeodeticDeg& reference, const FixSample& fix);

class StatisticsModel {
 public:
  static constexpr int64_t kExactFixes = 1'000'000;
  static constexpr double kBinM = 0.001;

  explicit StatisticsModel(int64_t exactFixes = kExactFixes);

  void Add(const FixSample& fix);
  // The reference the figures are taken about; nullopt: the mean. In binned mode the bins start
  // again about the new reference.
  void SetReference(const std::optional<ReferencePosition>& given);
  void Clear();  // forgets every fix; keeps the reference

  PositionStatistics Compute() const;
  int64_t fixes() const { return count_; }
  bool binned() const { return binned_; }
  const std::optional<ReferencePosition>& reference() const { return given_; }

 private:
  struct Moments {
    int64_t count = 0;
    std::array<double, 3> sum{};
    std::array<double, 9> squares{};  // row-major sum of y y^T
    void Add(const std::array<double, 3>& y);
    // Sum over the points of (v . (y - c))^2.
    double SquaresAlong(const std::array<double, 3>& v, const std::array<double, 3>& c) const;
  };
  struct Frame {  // a reference's local frame, relative to the origin
    std::array<double, 3> c, east, north, up;
  };

  GeodeticDeg Mean() const;
  GeodeticDeg Resolve(const GeodeticDeg& mean) const;
  Frame FrameOf(const GeodeticDeg& reference) const;
  using Kept = std::array<float, 3>;
  void StartBins();
  void Bin(const Kept& y);

  int64_t exactFixes_;
  std::optional<ReferencePosition> given_;
  int64_t count_ = 0;
  int fixes2d_ = 0, fixes3d_ = 0, fixes3dPlus_ = 0;
  std::array<double, 3> origin_{};
  Moments all_, vertical_;
  int64_t heights_ = 0;
  double heightSum_ = 0;

  // Exact: every fix's ECEF position relative to the origin (a deque: growing never copies).
  std::deque<Kept> positions_;
  // Binned: counts of horizontal errors in 1 mm bins about binFrame_; the first kDenseBins in a
  // vector, errors beyond a kilometre in a map.
  bool binned_ = false;
  Frame binFrame_{};
  std::vector<uint32_t> bins_;
  std::map<int64_t, uint64_t> farBins_;
  int64_t binnedFixes_ = 0;
  double binnedMax_ = 0;
};

// The figures of a whole run at once (a model fed every fix).
PositionStatistics ComputeStatistics(const std::vector<FixSample>& fixes,
                                     const std::optional<ReferencePosition>& given);

// The percentile p (0..1) of values by linear interpolation between order statistics; values
// need not be sorted. nullopt when empty.
std::optional<double> Percentile(std::vector<double> values, double p);

// The report of `vetra stats`: plain text lines, or one JSON object (and a newline).
std::string StatisticsText(const PositionStatistics& statistics);
std::string StatisticsJson(const PositionStatistics& statistics);
// The window's note beside its figures when the percentiles come from bins; empty otherwise:
// "CEP and largest error from 1 mm bins beyond 1000000 fixes".
std::string PercentileNote(const PositionStatistics& statistics);

// The CSV of the fixes, offsets from the reference:
// utc,latitude,longitude,altitude_msl_m,height_ellipsoid_m,fix_mode,satellites_used,hdop,
// east_m,north_m,up_m
// Degrees with 9 decimals (0.1 mm), metres with 3; a value the receiver did not give is empty (the
// ellipsoidal height without the receiver's geoid separation, up for a 2D fix).
extern const char kStatisticsCsvHeader[];
void AppendCsvRow(std::string& out, const FixSample& fix, const GeodeticDeg& reference);
std::string StatisticsCsv(const std::vector<FixSample>& fixes, const GeodeticDeg& reference);

// "1.234 m", or "-" without a value: the window's figures.
std::string MetresText(const std::optional<double>& metres);

}  // namespace vetra
