#pragma once
// ErrorFigures: the error figures of the matched epochs of a comparison, added one at a time:
// - horizontal: the east/north distance; its mean, RMS, largest value and its 50th, 68th, 95th
//   and 99th percentiles (CEP50 ... CEP99) by linear interpolation between order statistics, as
//   `vetra stats` computes them (statistics/position_statistics.h);
// - vertical: the up error where both receivers gave a 3D fix with an ellipsoidal height; its
//   mean (the bias), its RMS and the 95th percentile of its magnitude; the 3D RMS over the same
//   epochs;
// - along and cross track (cross positive to the right of the reference's track): mean and RMS
//   over the epochs where the reference moved faster than 1 m/s.
// The percentiles keep the errors themselves (8 bytes per matched epoch and figure).

#include <cstdint>
#include <optional>
#include <vector>

#include "compare/compared_epoch.h"

namespace vetra {

struct HorizontalFigures {
  double meanM = 0, rmsM = 0, cep50M = 0, cep68M = 0, cep95M = 0, cep99M = 0, maxM = 0;
};
struct VerticalFigures {
  double meanM = 0, rmsM = 0, abs95M = 0;
};
struct MeanRms {
  double meanM = 0, rmsM = 0;
};

class ErrorFigures {
 public:
  // Rows that did not match are left out.
  void Add(const ComparedEpoch& row);

  uint64_t count() const { return horizontal_.size(); }
  std::optional<HorizontalFigures> Horizontal() const;
  std::optional<VerticalFigures> Vertical() const;
  std::optional<double> Rms3d() const;
  std::optional<MeanRms> AlongTrack() const;
  std::optional<MeanRms> CrossTrack() const;
  // The horizontal errors in ascending order: the cumulative distribution.
  std::vector<double> SortedHorizontal() const;

 private:
  std::vector<double> horizontal_;
  double horizontalSum_ = 0, horizontalSquares_ = 0, horizontalMax_ = 0;
  std::vector<double> verticalMagnitudes_;
  double verticalSum_ = 0, verticalSquares_ = 0, squares3d_ = 0;
  uint64_t moving_ = 0;
  double alongSum_ = 0, alongSquares_ = 0, crossSum_ = 0, crossSquares_ = 0;
};

}  // namespace vetra
