#pragma once
// The plot page of a comparison (`vetra compare --plot FILE.svg`): one A4 page of plain SVG with
// - the horizontal error and the vertical error over UTC time,
// - the cumulative distribution of the horizontal error with CEP50 and CEP95 marked,
// - the east/north scatter of test minus reference with the CEP50 and CEP95 circles,
// and the figures beneath. Axes carry round tick values, labels and units; it reads printed in
// black and white (solid and dashed lines) and on screen.
//
// The matched epochs are kept for it thinned to at most kMaxPoints (every second one dropped each
// time the limit is passed), so a day of epochs draws as fast as a minute and memory stays small.

#include <string>
#include <vector>

#include "compare/compared_epoch.h"
#include "compare/epoch_comparison.h"

namespace vetra {

class ComparePlot {
 public:
  void Add(const ComparedEpoch& row);
  // sortedHorizontal: every horizontal error in ascending order (ErrorFigures::SortedHorizontal).
  std::string Svg(const CompareFigures& figures, const std::vector<double>& sortedHorizontal,
                  const std::string& testName, const std::string& referenceName) const;

  size_t points() const { return points_.size(); }
  static constexpr size_t kMaxPoints = 4000;

 private:
  struct Point {
    double timeS, horizontalM, upM, eastM, northM;
  };
  std::vector<Point> points_;
  uint64_t seen_ = 0;
  uint64_t stride_ = 1;
};

}  // namespace vetra
