#include "compare/utc_timeline.h"

#include <cmath>

namespace vetra {

namespace {
constexpr double kDayS = 86400;
}

std::optional<double> UtcTimeline::SecondsOf(const Epoch& epoch) {
  if (!epoch.hasTime()) return std::nullopt;
  const double timeOfDayS = static_cast<double>(epoch.timeOfDayMs) / 1000.0;
  if (epoch.date) {
    const double seconds = epoch.UtcSeconds();
    midnightS_ = seconds - timeOfDayS;
    if (!anchor_.midnightS) anchor_.midnightS = midnightS_;
  } else {
    if (!midnightS_) midnightS_ = anchor_.midnightS.value_or(0.0);
    if (lastTimeOfDayS_ >= 0 && timeOfDayS < lastTimeOfDayS_ - kDayS / 2) *midnightS_ += kDayS;
  }
  lastTimeOfDayS_ = timeOfDayS;
  return *midnightS_ + timeOfDayS;
}

}  // namespace vetra
