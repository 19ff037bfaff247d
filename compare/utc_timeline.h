#pragma once
// One time scale for the epochs of two receivers, so that they can be matched across midnight:
// seconds since 1970 from each epoch's UTC date and time of day (Epoch::UtcSeconds()).
//
// An epoch without a date (a receiver that sends GGA only, or the epochs before its first RMC)
// takes the day of its own log's last dated epoch; when its log has given none yet, the day of the
// first date either log gave (DayAnchor); when neither has, the first day is day 0. In each case
// the day moves on when the time of day goes back by more than twelve hours (midnight passed).

#include <optional>

#include "epoch/epoch.h"

namespace vetra {

// The first day (its midnight in seconds since 1970) that either log gave a date for.
struct DayAnchor {
  std::optional<double> midnightS;
};

class UtcTimeline {
 public:
  explicit UtcTimeline(DayAnchor& anchor) : anchor_(anchor) {}

  // Seconds on the common scale; nullopt for an epoch without a time.
  std::optional<double> SecondsOf(const Epoch& epoch);

 private:
  DayAnchor& anchor_;
  std::optional<double> midnightS_;  // of the day of the last epoch
  double lastTimeOfDayS_ = -1;
};

}  // namespace vetra
