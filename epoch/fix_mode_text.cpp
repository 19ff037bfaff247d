#include "epoch/fix_mode_text.h"

#include <array>

namespace vetra {

namespace {

struct FixRow {
  int32_t recordMode;
  FixKind kind;
  const char* shortText;
  const char* labelText;
};

// Indexed by the record's fix mode.
constexpr std::array<FixRow, 4> kFixRows{{
    {0, {FixMode::None, FixQuality::Invalid}, "no fix", "No fix"},
    {1, {FixMode::TwoD, FixQuality::Autonomous}, "2D", "2D"},
    {2, {FixMode::ThreeD, FixQuality::Autonomous}, "3D", "3D"},
    {3, {FixMode::ThreeD, FixQuality::Differential}, "3D+", "3D+"},
}};

const FixRow& RowOf(const FixKind& kind) {
  switch (kind.mode) {
    case FixMode::None:
      return kFixRows[0];
    case FixMode::TwoD:
      return kFixRows[1];
    case FixMode::ThreeD:
      break;
  }
  return Corrected(kind) ? kFixRows[3] : kFixRows[2];
}

}  // namespace

std::optional<FixKind> FixOfRecordMode(int32_t recordFixMode) {
  if (recordFixMode < 0 || recordFixMode >= static_cast<int32_t>(kFixRows.size())) {
    return std::nullopt;
  }
  return kFixRows[static_cast<size_t>(recordFixMode)].kind;
}

bool Corrected(const FixKind& kind) {
  if (kind.mode != FixMode::ThreeD) return false;
  switch (kind.quality) {
    case FixQuality::Differential:
    case FixQuality::RtkFloat:
    case FixQuality::RtkFixed:
      return true;
    default:
      return false;
  }
}

const char* FixShortText(const FixKind& kind) { return RowOf(kind).shortText; }
const char* FixLabelText(const FixKind& kind) { return RowOf(kind).labelText; }

}  // namespace vetra
