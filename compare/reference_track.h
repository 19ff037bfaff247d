#pragma once
// ReferenceTrack: the reference receiver's recent fixes, kept in a small window around the test
// epochs being matched, and where the reference was at a given time:
// - a reference fix of the same time (within half a millisecond): that fix;
// - else the position interpolated linearly in ECEF between the two reference fixes around the
//   time, when they are no more than the largest gap apart (their speed linearly, their track
//   along the shorter turn);
// - else nothing: a gap in the reference, or a time outside it.
// It also keeps the spans the reference covers that way (a few numbers per gap in the reference),
// so that the test's missing epochs can be counted against them for the availability.
//
// Points are added in time order; DropBefore forgets what no later time can need.

#include <array>
#include <deque>
#include <vector>

#include "decode/geodesy.h"
#include "epoch/epoch.h"

namespace vetra {

struct ReferencePoint {
  double timeS = 0;  // on the comparison's time scale (utc_timeline.h)
  std::array<double, 3> ecef{};
  GeodeticDeg position;      // heightM: above the ellipsoid, 0 when not known
  bool heightKnown = false;  // a 3D fix with an ellipsoidal height
  double speedMs = kNoValue;
  double trackDeg = kNoValue;  // as the receiver gave it
  // The direction of the vehicle's forward axis: the track while the reference moved faster than
  // 1 m/s, else its last such track (its own track, else north, before it first moved).
  double headingDeg = 0;
  FixMode mode = FixMode::None;
  FixQuality quality = FixQuality::Invalid;
  int satellitesUsed = -1;

  bool Moving() const { return speedMs > kMovingMs; }
  static constexpr double kMovingMs = 1.0;
};

enum class MatchKind { Exact, Interpolated, Gap, Outside };

struct ReferenceMatch {
  MatchKind kind = MatchKind::Outside;
  ReferencePoint point;  // meaningful for Exact and Interpolated
  bool found() const { return kind == MatchKind::Exact || kind == MatchKind::Interpolated; }
};

class ReferenceTrack {
 public:
  explicit ReferenceTrack(double maxGapS) : maxGapS_(maxGapS) {}

  void Add(const ReferencePoint& point);
  ReferenceMatch At(double timeS) const;
  // Whether At(timeS) finds the reference, from the spans kept.
  bool CoveredAt(double timeS) const;
  // Keeps the last point at or before timeS and everything after it; spans that end before
  // coverageFromS go.
  void DropBefore(double timeS, double coverageFromS);

  bool empty() const { return points_.empty(); }
  double newestTimeS() const { return points_.back().timeS; }
  size_t size() const { return points_.size(); }

  static constexpr double kSameTimeS = 0.0005;

 private:
  struct Span {
    double fromS, toS;
  };
  double maxGapS_;
  std::deque<ReferencePoint> points_;
  std::vector<Span> spans_;
};

// A reference point from an epoch with a fix; heading from the last moving track before it.
ReferencePoint ReferencePointOf(const Epoch& epoch, double timeS, double& lastMovingTrackDeg);

}  // namespace vetra
