#pragma once
// One test epoch after matching with the reference: what the CSV writes per row, what the plots
// and the figures are made of.

#include <optional>
#include <string>

#include "compare/reference_track.h"
#include "epoch/epoch.h"

namespace vetra {

enum class MatchResult {
  Exact,         // a reference fix of the same time
  Interpolated,  // between the two reference fixes around it
  NoTestFix,     // the test epoch has no fix
  ReferenceGap,  // the reference fixes around it are further apart than the largest gap
  NoReference,   // before the reference's first fix or after its last
};

// "exact", "interpolated", "no test fix", "reference gap", "no reference".
const char* MatchResultText(MatchResult result);

struct ComparedEpoch {
  double timeS = 0;  // on the comparison's time scale
  std::string utc;   // Epoch::UtcText() of the test epoch
  MatchResult match = MatchResult::NoReference;

  // The test receiver.
  double testLatitudeDeg = kNoValue, testLongitudeDeg = kNoValue;
  double testHeightM = kNoValue;  // above the ellipsoid
  FixMode testMode = FixMode::None;
  FixQuality testQuality = FixQuality::Invalid;
  int testSatellites = -1;

  // The reference antenna where it was at the test epoch's time, when found.
  std::optional<ReferencePoint> reference;

  // Test minus reference (plus the lever arm) in the reference's east/north/up, when matched.
  double eastM = kNoValue, northM = kNoValue;
  double upM = kNoValue;  // both 3D with an ellipsoidal height only
  double horizontalM = kNoValue;
  double alongTrackM = kNoValue, crossTrackM = kNoValue;  // while the reference moves > 1 m/s

  bool matched() const { return match == MatchResult::Exact || match == MatchResult::Interpolated; }
};

}  // namespace vetra
