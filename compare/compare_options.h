#pragma once
// How a receiver under test is compared with a reference receiver (`vetra compare`, the
// Statistics window's second receiver): how far apart two reference epochs may be for the
// reference position between them to be interpolated, where the test antenna sits relative to the
// reference antenna, and which reference fixes count.

#include <optional>
#include <string_view>

#include "epoch/epoch.h"

namespace vetra {

// The reference fixes kept: this quality or better (any < dgps < rtk-float < rtk-fixed).
enum class ReferenceQuality { Any, Dgps, RtkFloat, RtkFixed };

// The offset in metres from the reference antenna to the test antenna in the vehicle's frame.
struct LeverArm {
  double forwardM = 0;
  double rightM = 0;
  double upM = 0;
};

struct CompareOptions {
  double maxGapS = 1.0;
  LeverArm lever;
  ReferenceQuality referenceQuality = ReferenceQuality::Any;
};

// "F,R,U" in metres (each a finite number); nullopt otherwise.
std::optional<LeverArm> ParseLeverArm(std::string_view text);
// "any", "dgps", "rtk-float", "rtk-fixed"; nullopt otherwise.
std::optional<ReferenceQuality> ParseReferenceQuality(std::string_view text);
const char* ReferenceQualityName(ReferenceQuality quality);

// Whether a reference epoch has a fix of the quality asked for. Dead reckoning, manual and
// simulated positions count as "any" only: they are no measurement to compare against.
bool MeetsQuality(const Epoch& epoch, ReferenceQuality quality);

}  // namespace vetra
