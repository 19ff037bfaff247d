#include "compare/compare_options.h"

#include <array>
#include <cmath>
#include <string>

#include "model/number_text.h"

namespace vetra {

namespace {

// The rank of a fix's quality; 0 for a fix that is no measurement.
int QualityRank(FixQuality quality) {
  switch (quality) {
    case FixQuality::Invalid:  // a fix whose sentences gave no quality: a plain one
    case FixQuality::Autonomous:
      return 1;
    case FixQuality::Differential:
      return 2;
    case FixQuality::RtkFloat:
      return 3;
    case FixQuality::RtkFixed:
      return 4;
    case FixQuality::DeadReckoning:
    case FixQuality::Manual:
    case FixQuality::Simulated:
      return 0;
  }
  return 0;
}

}  // namespace

std::optional<LeverArm> ParseLeverArm(std::string_view text) {
  std::array<double, 3> values{};
  size_t start = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    const size_t comma = text.find(',', start);
    if ((comma == std::string_view::npos) != (i == values.size() - 1)) return std::nullopt;
    const auto value =
        ReadTypedNumber(text.substr(start, comma == text.npos ? text.npos : comma - start));
    if (!value) return std::nullopt;
    values[i] = *value;
    start = comma + 1;
  }
  return LeverArm{values[0], values[1], values[2]};
}

std::optional<ReferenceQuality> ParseReferenceQuality(std::string_view text) {
  for (ReferenceQuality q : {ReferenceQuality::Any, ReferenceQuality::Dgps,
                             ReferenceQuality::RtkFloat, ReferenceQuality::RtkFixed}) {
    if (text == ReferenceQualityName(q)) return q;
  }
  return std::nullopt;
}

const char* ReferenceQualityName(ReferenceQuality quality) {
  switch (quality) {
    case ReferenceQuality::Any:
      return "any";
    case ReferenceQuality::Dgps:
      return "dgps";
    case ReferenceQuality::RtkFloat:
      return "rtk-float";
    case ReferenceQuality::RtkFixed:
      return "rtk-fixed";
  }
  return "any";
}

bool MeetsQuality(const Epoch& epoch, ReferenceQuality quality) {
  if (!epoch.hasFix()) return false;
  if (quality == ReferenceQuality::Any) return true;
  return QualityRank(epoch.quality) >= static_cast<int>(quality) + 1;
}

}  // namespace vetra
