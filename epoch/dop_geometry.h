#pragma once
// Dilutions of precision from the geometry of the satellites used, as gpsd fills in the DOPs a
// receiver does not report: the rows (cos el sin az, cos el cos az, sin el, 1) of the used
// satellites with a known elevation and azimuth make H; Q = (HᵀH)⁻¹ gives xdop = √Q₁₁,
// ydop = √Q₂₂, vdop = √Q₃₃, tdop = √Q₄₄, hdop = √(Q₁₁+Q₂₂), pdop = √(Q₁₁+Q₂₂+Q₃₃) and
// gdop = √trace Q. One clock term for all systems, as gpsd has it.
//
// Nothing (nullopt) with fewer than four such satellites or a geometry that cannot be inverted.

#include <optional>
#include <span>

#include "epoch/epoch.h"

namespace vetra {

struct DopValues {
  double xdop = kNoValue, ydop = kNoValue, vdop = kNoValue, tdop = kNoValue;
  double hdop = kNoValue, pdop = kNoValue, gdop = kNoValue;
};

// From the satellites flagged used (each satellite once, whatever its signals).
std::optional<DopValues> DopFromGeometry(std::span<const EpochSatellite> satellites);

}  // namespace vetra
