#include "present/view_model.h"

#include "epoch/fix_mode_text.h"
#include "model/access_level.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace vetra {
namespace {

// printf into a std::string; every text of the View page is built with a fixed format.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
  char buffer[128];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<size_t>(n));
  std::string text(static_cast<size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  text.resize(static_cast<size_t>(n));
  return text;
}

// Health texts of the second chip's channel reply, by health code 0..31.
constexpr const char* kStatusTexts[] = {
    "GOOD",
    "BAD SVID",
    "SVID INCONSISTENT",
    "WAAS",
    "BAD CHAN STATUS",
    "IOCU INCONSISTENT",
    "SEC NOT OK",
    "BAD ELEVATION",
    "NO LOCK",
    "BAD DLI",
    "DDR NO GOOD",
    "IPREDICTED TOO LONG",
    "PR OVER CHIP",
    "DDR TOO BIG",
    "TIME NOT OK",
    "BIT CNT NOT READY 0",
    "BIT CNT NOT READY 1",
    "EPHS NOT READY",
    "DPR TOO BIG",
    "NO GOOD DR FOR LOW SAT",
    "NO GOOD DR FOR LOW DLI",
    "BIG DR AFTER NO FIX",
    "WRONG PR",
    "NO GOOD MEAS",
    "USER BLOCKED",
    "WRONG WEIGHTING",
    "DPR OVER HALF MSC",
    "REMOVE LOW DLI FOR HIGH SPD",
    "DPR OUT OF AVG.",
    "BAD SAT HEALTH",
    "HQ SV",
    "31-",
};
static_assert(std::size(kStatusTexts) == 32, "one status text per health code 0..31");

// The sky view's angle constant: the receiver tool has always used this value of pi, and the
// truncation of the point coordinates depends on it (azimuth 0 lands at y = 89, not 90).
constexpr double kPi = 3.1415926;

bool ValidPrn(int32_t prn) { return prn >= 1 && prn <= kSatelliteCount; }

}  // namespace

std::string FormatCoordinate(double degrees, char hemisphere, int coordinateFormat) {
  const double value = std::fabs(degrees);
  switch (coordinateFormat) {
    case 1: {
      constexpr long long kUnitsPerDegree = 60 * 10000;  // ten-thousandths of a minute
      const long long units = std::llround(value * kUnitsPerDegree);
      const long long whole = units / kUnitsPerDegree;
      const double minutes = static_cast<double>(units % kUnitsPerDegree) / 10000;
      return Format("%9.4f %c", static_cast<double>(whole * 100) + minutes, hemisphere);
    }
    case 2: {
      constexpr long long kTenthsPerDegree = 36000;  // tenths of a second
      const long long tenths = std::llround(value * kTenthsPerDegree);
      const long long rest = tenths % kTenthsPerDegree;
      return Format("%lld'%02lld''%lld.%lld %c", tenths / kTenthsPerDegree, rest / 600,
                    rest % 600 / 10, rest % 10, hemisphere);
    }
    default:
      return Format("%.6f %c", value, hemisphere);
  }
}

std::string GeneralFloatText(double value) { return Format("%.15g", value); }

PositionView MakePositionView(const TNavRecord& r, int coordinateFormat, int channelCount) {
  PositionView view;
  // The time of day zero-padded and marked as UTC ("21:05:09 UTC"), so that it reads as a time
  // and is not taken for local time; the date keeps its plain numbers.
  view.time =
      Format("%d/%d/%d\n%02d:%02d:%02d UTC", r.year, r.month, r.day, r.hour, r.minute, r.second);

  // The record's number on the one table of fix modes; an unknown number leaves lbFix as it was.
  const std::optional<FixKind> fix = FixOfRecordMode(r.fixMode);
  if (fix) {
    view.fixText = FixLabelText(*fix);
    switch (fix->mode) {
      case FixMode::None:
        view.fixColour = kGrey;
        break;
      case FixMode::TwoD:
        view.fixColour = kGreen;
        break;
      case FixMode::ThreeD:
        view.fixColour = kRed;
        break;
    }
  }
  const FixMode mode = fix ? fix->mode : FixMode::None;

  const bool exact = std::isfinite(r.exact.latitudeDeg) && std::isfinite(r.exact.longitudeDeg);
  view.latitude = FormatCoordinate(exact ? r.exact.latitudeDeg : r.latitudeDeg,
                                   r.latitudeHemisphere, coordinateFormat);
  view.longitude = FormatCoordinate(exact ? r.exact.longitudeDeg : r.longitudeDeg,
                                    r.longitudeHemisphere, coordinateFormat);
  // A position with its altitude left empty: the 16-bit field's 0 is no altitude.
  const bool altitudeMissing = exact && !std::isfinite(r.exact.altitudeMslM);
  view.altitude = altitudeMissing ? std::string(kMissingValueText) : Format("%d", r.altitudeM);
  view.pdop = Format("%4.1f", static_cast<double>(r.pdop));
  view.hdop = Format("%4.1f", static_cast<double>(r.hdop));
  view.inView = Format("%d", r.satellitesInView);
  view.used = Format("%d", r.satellitesUsed);
  view.speed = Format("%d", r.speedKmh);
  view.heading = Format("N %d", r.headingDeg);
  view.cn0AxisMax = channelCount;

  int strongest = 0;
  const int positions = std::clamp(r.satellitesInView, 0, kChannelCount);
  for (int i = 0; i < positions; ++i) {
    const int32_t prn = r.prnList[i];
    if (!ValidPrn(prn)) continue;
    const TSatellite& sat = r.satellites[prn - 1];
    const double angle = (90.0 - sat.azimuth) * kPi * (1.0 / 180.0);
    const double radius = 90.0 - sat.elevation;

    SkyPoint point;
    point.x = static_cast<int>(std::trunc(std::cos(angle) * radius));
    point.y = static_cast<int>(std::trunc(std::sin(angle) * radius));
    point.label = Format("%d", prn);
    const bool used = sat.used != 0;
    if (mode == FixMode::ThreeD && used) {
      point.colour = kGreen;
    } else if (mode == FixMode::TwoD && used) {
      point.colour = kBlue;
    } else {
      point.colour = kWhite;
    }
    point.fixed = point.colour != kWhite;

    const int cn0 = r.channels[i].cn0;
    view.satellites.push_back(SatelliteRow{point.label, Format("%d", sat.elevation),
                                           Format("%d", sat.azimuth), Format("%d", cn0),
                                           used ? "yes" : "no"});
    view.bars.push_back(Cn0Bar{cn0, point.label, point.colour});
    view.points.push_back(std::move(point));
    strongest = std::max(strongest, cn0);
  }
  view.bigSnr = strongest > 0 ? Format("%d", strongest) : std::string();
  return view;
}

Rgb PlotLabelColour(Rgb satelliteColour) {
  if (satelliteColour == kGreen) return {0x2e, 0xc2, 0x4f};
  if (satelliteColour == kBlue) return {0x4a, 0x8c, 0xff};
  return satelliteColour;
}

std::string HealthText(int healthCode, uint16_t statusWord, bool secondChip, int accessLevel) {
  if (!secondChip || !ShowsHealthWords(accessLevel)) return Format("%d", healthCode);
  if (healthCode == 255) return {};
  if (healthCode == 0) return statusWord < 0xFF ? " 0 --GOOD" : "GOOD";
  // Codes without a status text (32 and up) show the number and the dashes alone.
  const bool known = healthCode > 0 && healthCode < static_cast<int>(std::size(kStatusTexts));
  return Format("%2d --%s", healthCode, known ? kStatusTexts[healthCode] : "");
}

MeasurementView MakeMeasurementView(const TNavRecord& r, bool secondChip, int accessLevel) {
  MeasurementView view;
  view.clock = Format("%d", static_cast<unsigned>(r.clockValue));
  view.utc = GeneralFloatText(r.measurementUtc);
  view.clockBias = GeneralFloatText(r.clockBias);
  view.timeBias = GeneralFloatText(r.timeBias);
  view.frequencyBias = GeneralFloatText(r.frequencyBias);

  const int rows = secondChip ? 16 : 12;
  view.rows.reserve(rows);
  for (int row = 1; row <= rows; ++row) {
    const TChannel& ch = r.channels[row - 1];
    if (ValidPrn(ch.prn) && row <= r.satellitesInView) {
      const TSatellite& sat = r.satellites[ch.prn - 1];
      view.rows.push_back(std::array<std::string, 9>{
          Format("%d", ch.prn), Format("%X", static_cast<unsigned>(ch.status)),
          Format("%d", ch.pseudorange), Format("%d", ch.deltaRange), Format("%d", ch.doppler),
          Format("%d", ch.cn0), Format("%d", sat.elevation), Format("%d", sat.azimuth),
          HealthText(ch.health, ch.status, secondChip, accessLevel)});
    } else {
      view.rows.push_back(std::array<std::string, 9>{});
    }
  }
  return view;
}

bool MeasurementVisibility::Shown(bool fromBinary, int64_t nowSeconds) {
  if (fromBinary) lastBinarySeconds_ = nowSeconds;
  if (!lastBinarySeconds_) return false;
  const int64_t quiet = nowSeconds - *lastBinarySeconds_;
  return quiet >= 0 && quiet < kQuietSeconds;  // a clock set back counts as quiet
}

}  // namespace vetra
