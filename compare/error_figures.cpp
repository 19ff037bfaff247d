#include "compare/error_figures.h"

#include <algorithm>
#include <cmath>

#include "statistics/position_statistics.h"

namespace vetra {

void ErrorFigures::Add(const ComparedEpoch& row) {
  if (!row.matched()) return;
  const double h = row.horizontalM;
  horizontal_.push_back(h);
  horizontalSum_ += h;
  horizontalSquares_ += h * h;
  horizontalMax_ = std::max(horizontalMax_, h);
  if (std::isfinite(row.upM)) {
    verticalMagnitudes_.push_back(std::fabs(row.upM));
    verticalSum_ += row.upM;
    verticalSquares_ += row.upM * row.upM;
    squares3d_ += h * h + row.upM * row.upM;
  }
  if (std::isfinite(row.alongTrackM) && std::isfinite(row.crossTrackM)) {
    ++moving_;
    alongSum_ += row.alongTrackM;
    alongSquares_ += row.alongTrackM * row.alongTrackM;
    crossSum_ += row.crossTrackM;
    crossSquares_ += row.crossTrackM * row.crossTrackM;
  }
}

std::optional<HorizontalFigures> ErrorFigures::Horizontal() const {
  if (horizontal_.empty()) return std::nullopt;
  const double n = static_cast<double>(horizontal_.size());
  std::vector<double> sorted = SortedHorizontal();
  HorizontalFigures f;
  f.meanM = horizontalSum_ / n;
  f.rmsM = std::sqrt(horizontalSquares_ / n);
  f.cep50M = *Percentile(sorted, 0.50);
  f.cep68M = *Percentile(sorted, 0.68);
  f.cep95M = *Percentile(sorted, 0.95);
  f.cep99M = *Percentile(std::move(sorted), 0.99);
  f.maxM = horizontalMax_;
  return f;
}

std::optional<VerticalFigures> ErrorFigures::Vertical() const {
  if (verticalMagnitudes_.empty()) return std::nullopt;
  const double n = static_cast<double>(verticalMagnitudes_.size());
  return VerticalFigures{verticalSum_ / n, std::sqrt(verticalSquares_ / n),
                         *Percentile(verticalMagnitudes_, 0.95)};
}

std::optional<double> ErrorFigures::Rms3d() const {
  if (verticalMagnitudes_.empty()) return std::nullopt;
  return std::sqrt(squares3d_ / static_cast<double>(verticalMagnitudes_.size()));
}

std::optional<MeanRms> ErrorFigures::AlongTrack() const {
  if (moving_ == 0) return std::nullopt;
  const double n = static_cast<double>(moving_);
  return MeanRms{alongSum_ / n, std::sqrt(alongSquares_ / n)};
}

std::optional<MeanRms> ErrorFigures::CrossTrack() const {
  if (moving_ == 0) return std::nullopt;
  const double n = static_cast<double>(moving_);
  return MeanRms{crossSum_ / n, std::sqrt(crossSquares_ / n)};
}

std::vector<double> ErrorFigures::SortedHorizontal() const {
  std::vector<double> sorted = horizontal_;
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

}  // namespace vetra
