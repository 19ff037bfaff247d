#include "statistics/fix_history.h"

#include <algorithm>
#include <cmath>

namespace vetra {

std::optional<PlotPoint> PlotPointOf(const Epoch& epoch) {
  std::optional<FixSample> fix = FixSampleOf(epoch);
  if (!fix) return std::nullopt;
  PlotPoint point{*fix, fix->UtcSeconds(), {}};
  for (const EpochSatellite& satellite : epoch.satellites) {
    if (std::isnan(satellite.cn0DbHz) || satellite.prn <= 0 || satellite.prn > 0xFFFF) continue;
    point.cn0.push_back({static_cast<uint16_t>(satellite.prn),
                         static_cast<uint8_t>(std::clamp(satellite.cn0DbHz, 0.0, 255.0))});
  }
  point.cn0.shrink_to_fit();
  return point;
}

void FixHistory::Add(PlotPoint point) {
  recent_.push_back(std::move(point));
  const double newest = recent_.back().seconds;
  while (recent_.size() > 1 &&
         (newest - recent_.front().seconds > kFullRateSeconds || newest < recent_.front().seconds ||
          recent_.size() > kMostRecentPoints)) {
    Age(std::move(recent_.front()));
    recent_.pop_front();
  }
}

void FixHistory::Age(PlotPoint point) {
  if (!history_.empty()) {
    const double since = point.seconds - history_.back().seconds;
    if (since >= 0 && since < spacingSeconds_) return;
  }
  history_.push_back(std::move(point));
  if (history_.size() <= kMostHistoryPoints) return;
  std::deque<PlotPoint> thinned;
  for (size_t i = 0; i < history_.size(); i += 2) thinned.push_back(std::move(history_[i]));
  history_.swap(thinned);
  spacingSeconds_ *= 2;
}

void FixHistory::Clear() {
  std::deque<PlotPoint>().swap(history_);
  std::deque<PlotPoint>().swap(recent_);
  spacingSeconds_ = 1;
}

}  // namespace vetra
