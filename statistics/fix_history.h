#pragma once
// The fixes that the Statistics window plots over time, in bounded memory however long the run:
// every fix of the last hour at full rate, and before that a history thinned to at most
// kMostHistoryPoints (each time it fills, every second point goes and the spacing doubles). Each
// point keeps the fix and the C/N0 of the satellites in view (by gpsd's PRN numbering).
//
// The hour is counted on the fixes' own UTC seconds; a time that goes back (a log without dates
// that passes midnight) moves everything before it to the history. kMostRecentPoints bounds the
// hour of a receiver faster than 20 Hz.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "epoch/epoch.h"
#include "statistics/fix_sample.h"

namespace vetra {

struct SatelliteCn0 {
  uint16_t prn = 0;
  uint8_t cn0DbHz = 0;
};

struct PlotPoint {
  FixSample fix;
  double seconds = 0;  // fix.UtcSeconds()
  std::vector<SatelliteCn0> cn0;
};

// The point of an epoch with a fix (the satellites that have a C/N0); nullopt without a fix.
std::optional<PlotPoint> PlotPointOf(const Epoch& epoch);

class FixHistory {
 public:
  static constexpr double kFullRateSeconds = 3600;
  static constexpr size_t kMostHistoryPoints = 4000;
  static constexpr size_t kMostRecentPoints = 3600 * 20;

  void Add(PlotPoint point);
  void Clear();

  // The points in time order: the thinned history, then the last hour.
  size_t size() const { return history_.size() + recent_.size(); }
  const PlotPoint& operator[](size_t i) const {
    return i < history_.size() ? history_[i] : recent_[i - history_.size()];
  }
  size_t historySize() const { return history_.size(); }
  double historySpacingSeconds() const { return spacingSeconds_; }

 private:
  void Age(PlotPoint point);

  std::deque<PlotPoint> history_;
  std::deque<PlotPoint> recent_;
  double spacingSeconds_ = 1;
};

}  // namespace vetra
