#pragma once
// The module's record and the program's short texts on the one table of fix modes (epoch.h's
// FixMode and FixQuality). The record (TNavRecord::fixMode) numbers its fix 0 no fix, 1 2D, 2 3D,
// 3 3D+, where 3D+ is a 3D fix that the receiver made with differential corrections;
// FixOfRecordMode is the one place that reads that number. FixShortText is how the statistics,
// their CSV, `vetra decode --brief` and `vetra monitor` write a fix: "no fix", "2D", "3D" and
// "3D+" for a 3D fix with differential or RTK corrections, the same words for any receiver.

#include <cstdint>
#include <optional>

#include "epoch/epoch.h"

namespace vetra {

struct FixKind {
  FixMode mode = FixMode::None;
  FixQuality quality = FixQuality::Invalid;
  bool operator==(const FixKind&) const = default;
};

// The record's fix mode 0..3 on the table; nullopt for any other number.
std::optional<FixKind> FixOfRecordMode(int32_t recordFixMode);

// A 3D fix with differential or RTK corrections: what the module calls 3D+.
bool Corrected(const FixKind& kind);

// "no fix", "2D", "3D", "3D+".
const char* FixShortText(const FixKind& kind);
// The View page's lbFix: "No fix", "2D", "3D", "3D+".
const char* FixLabelText(const FixKind& kind);

}  // namespace vetra
