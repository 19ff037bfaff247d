#include "compare/reference_track.h"

#include <algorithm>
#include <cmath>

namespace vetra {

namespace {

// The angle a fraction of the way from a to b along the shorter turn, in [0, 360).
double TurnBetween(double aDeg, double bDeg, double fraction) {
  if (std::isnan(aDeg)) return bDeg;
  if (std::isnan(bDeg)) return aDeg;
  double delta = std::fmod(bDeg - aDeg, 360.0);
  if (delta > 180) delta -= 360;
  if (delta < -180) delta += 360;
  const double angle = std::fmod(aDeg + delta * fraction + 360.0, 360.0);
  return angle;
}

double Between(double a, double b, double fraction) {
  if (std::isnan(a)) return b;
  if (std::isnan(b)) return a;
  return a + (b - a) * fraction;
}

ReferencePoint Interpolate(const ReferencePoint& a, const ReferencePoint& b, double timeS) {
  const double fraction = (timeS - a.timeS) / (b.timeS - a.timeS);
  ReferencePoint point = fraction < 0.5 ? a : b;  // fix mode, quality, satellites: the nearer
  point.timeS = timeS;
  for (int i = 0; i < 3; ++i) point.ecef[i] = a.ecef[i] + (b.ecef[i] - a.ecef[i]) * fraction;
  point.position = EcefToGeodeticDeg(point.ecef);
  point.heightKnown = a.heightKnown && b.heightKnown;
  if (!point.heightKnown) point.position.heightM = 0;
  point.speedMs = Between(a.speedMs, b.speedMs, fraction);
  point.trackDeg = TurnBetween(a.trackDeg, b.trackDeg, fraction);
  point.headingDeg = TurnBetween(a.headingDeg, b.headingDeg, fraction);
  return point;
}

}  // namespace

ReferencePoint ReferencePointOf(const Epoch& epoch, double timeS, double& lastMovingTrackDeg) {
  ReferencePoint point;
  point.timeS = timeS;
  const double height = epoch.EllipsoidHeightM();
  point.heightKnown = epoch.threeD() && std::isfinite(height);
  point.position = {epoch.latitudeDeg, epoch.longitudeDeg, point.heightKnown ? height : 0.0};
  point.ecef = GeodeticToEcef(point.position);
  point.speedMs = epoch.speedMs;
  point.trackDeg = epoch.trackDeg;
  if (point.Moving() && std::isfinite(epoch.trackDeg)) lastMovingTrackDeg = epoch.trackDeg;
  if (std::isfinite(lastMovingTrackDeg)) {
    point.headingDeg = lastMovingTrackDeg;
  } else {
    point.headingDeg = std::isfinite(epoch.trackDeg) ? epoch.trackDeg : 0.0;
  }
  point.mode = epoch.mode;
  point.quality = epoch.quality;
  point.satellitesUsed = epoch.satellitesUsed;
  return point;
}

void ReferenceTrack::Add(const ReferencePoint& point) {
  if (!points_.empty() && point.timeS <= points_.back().timeS) return;  // out of order: not used
  if (!spans_.empty() && point.timeS - spans_.back().toS <= maxGapS_) {
    spans_.back().toS = point.timeS;
  } else {
    spans_.push_back({point.timeS, point.timeS});
  }
  points_.push_back(point);
}

ReferenceMatch ReferenceTrack::At(double timeS) const {
  ReferenceMatch match;
  if (points_.empty()) return match;
  // The first point later than timeS, less half a millisecond.
  const auto after =
      std::upper_bound(points_.begin(), points_.end(), timeS - kSameTimeS,
                       [](double t, const ReferencePoint& p) { return t < p.timeS; });
  if (after != points_.end() && std::fabs(after->timeS - timeS) <= kSameTimeS) {
    match.kind = MatchKind::Exact;
    match.point = *after;
    return match;
  }
  if (after == points_.begin() || after == points_.end()) return match;  // Outside
  const ReferencePoint& before = *(after - 1);
  if (after->timeS - before.timeS > maxGapS_) {
    match.kind = MatchKind::Gap;
    return match;
  }
  match.kind = MatchKind::Interpolated;
  match.point = Interpolate(before, *after, timeS);
  return match;
}

bool ReferenceTrack::CoveredAt(double timeS) const {
  return std::any_of(spans_.begin(), spans_.end(), [timeS](const Span& span) {
    return timeS >= span.fromS - kSameTimeS && timeS <= span.toS + kSameTimeS;
  });
}

void ReferenceTrack::DropBefore(double timeS, double coverageFromS) {
  while (points_.size() >= 2 && points_[1].timeS <= timeS) points_.pop_front();
  // The last span stays while its last point does: a later point may still extend it.
  while (spans_.size() >= 2 && spans_.front().toS < coverageFromS) spans_.erase(spans_.begin());
}

}  // namespace vetra
