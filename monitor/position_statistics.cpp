#include "monitor/position_statistics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "link/whole_file.h"

namespace vetra {

namespace {

[[gnu::format(printf, 2, 3)]] void AppendFormat(std::string& out, const char* format, ...) {
  char buffer[160];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n > 0) out.append(buffer, static_cast<size_t>(std::min<int>(n, sizeof buffer - 1)));
}

std::optional<double> ReadNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

double HeightForEcef(const FixSample& fix) {
  const double h = fix.EllipsoidHeightM();
  return std::isnan(h) ? 0.0 : h;
}

std::array<double, 3> EcefOf(const FixSample& fix) {
  return GeodeticToEcef({fix.latitudeDeg, fix.longitudeDeg, HeightForEcef(fix)});
}

std::optional<double> RootMeanSquare(double sumOfSquares, int count) {
  if (count == 0) return std::nullopt;
  return std::sqrt(sumOfSquares / count);
}

void AppendMetres(std::string& out, const char* label, const std::optional<double>& value) {
  if (value) {
    AppendFormat(out, "%-16s %.3f m\n", label, *value);
  } else {
    AppendFormat(out, "%-16s -\n", label);
  }
}

void AppendJsonNumber(std::string& out, const char* key, const std::optional<double>& value,
                      const char* format) {
  AppendFormat(out, "\"%s\":", key);
  if (value && std::isfinite(*value)) {
    AppendFormat(out, format, *value);
  } else {
    out += "null";
  }
}

void AppendPositionJson(std::string& out, const GeodeticDeg& p, bool heightKnown) {
  out += '{';
  AppendJsonNumber(out, "latitude", p.latitudeDeg, "%.9f");
  out += ',';
  AppendJsonNumber(out, "longitude", p.longitudeDeg, "%.9f");
  out += ',';
  AppendJsonNumber(out, "height_m", heightKnown ? std::optional(p.heightM) : std::nullopt, "%.3f");
  out += '}';
}

void AppendCsvNumber(std::string& out, double value, const char* format) {
  if (std::isfinite(value)) AppendFormat(out, format, value);
  out += ',';
}

}  // namespace

std::optional<ReferencePosition> ParseReference(std::string_view text) {
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t comma = text.find(',', start);
    parts.push_back(
        text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  const auto lat = ReadNumber(parts[0]);
  const auto lon = ReadNumber(parts[1]);
  if (!lat || !lon || std::fabs(*lat) > 90 || std::fabs(*lon) > 180) return std::nullopt;
  ReferencePosition reference{*lat, *lon, std::nullopt};
  if (parts.size() == 3) {
    reference.heightM = ReadNumber(parts[2]);
    if (!reference.heightM) return std::nullopt;
  }
  return reference;
}

std::optional<GeodeticDeg> MeanPosition(const std::vector<FixSample>& fixes) {
  if (fixes.empty()) return std::nullopt;
  // Summed as offsets from the first fix: the sums stay small, so nothing is lost to rounding
  // however long the run.
  const std::array<double, 3> origin = EcefOf(fixes.front());
  std::array<double, 3> sum{};
  for (const FixSample& fix : fixes) {
    const std::array<double, 3> e = EcefOf(fix);
    for (int i = 0; i < 3; ++i) sum[i] += e[i] - origin[i];
  }
  const double n = static_cast<double>(fixes.size());
  const std::array<double, 3> mean{origin[0] + sum[0] / n, origin[1] + sum[1] / n,
                                   origin[2] + sum[2] / n};
  return EcefToGeodeticDeg(mean);
}

GeodeticDeg ResolveReference(const std::optional<ReferencePosition>& given,
                             const GeodeticDeg& mean) {
  if (!given) return mean;
  return {given->latitudeDeg, given->longitudeDeg, given->heightM.value_or(mean.heightM)};
}

std::vector<EnuOffset> OffsetsFrom(const GeodeticDeg& reference,
                                   const std::vector<FixSample>& fixes) {
  std::vector<EnuOffset> offsets;
  offsets.reserve(fixes.size());
  for (const FixSample& fix : fixes) {
    EnuOffset offset = EnuFrom(reference, EcefOf(fix));
    if (std::isnan(fix.altitudeMslM)) offset.upM = TExactFix::kUnknown;
    offsets.push_back(offset);
  }
  return offsets;
}

std::optional<double> Percentile(std::vector<double> values, double p) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const double rank = std::clamp(p, 0.0, 1.0) * static_cast<double>(values.size() - 1);
  const auto below = static_cast<size_t>(std::floor(rank));
  const size_t above = std::min(below + 1, values.size() - 1);
  const double fraction = rank - static_cast<double>(below);
  return values[below] + (values[above] - values[below]) * fraction;
}

PositionStatistics ComputeStatistics(const std::vector<FixSample>& fixes,
                                     const std::optional<ReferencePosition>& given) {
  PositionStatistics stats;
  stats.fixes = static_cast<int>(fixes.size());
  for (const FixSample& fix : fixes) {
    if (fix.fixMode == 1) ++stats.fixes2d;
    if (fix.fixMode == 2) ++stats.fixes3d;
    if (fix.fixMode == 3) ++stats.fixes3dPlus;
  }
  const std::optional<GeodeticDeg> mean = MeanPosition(fixes);
  if (!mean) return stats;
  stats.mean = *mean;
  stats.reference = ResolveReference(given, *mean);
  stats.referenceGiven = given.has_value();
  stats.referenceHeightGiven = given && given->heightM.has_value();
  stats.heightKnown = std::any_of(fixes.begin(), fixes.end(), [](const FixSample& fix) {
    return !std::isnan(fix.EllipsoidHeightM());
  });

  const std::vector<EnuOffset> offsets = OffsetsFrom(stats.reference, fixes);
  std::vector<double> horizontal;
  horizontal.reserve(offsets.size());
  double horizontalSquares = 0, verticalSquares = 0;
  int vertical = 0;
  for (size_t i = 0; i < offsets.size(); ++i) {
    const double error = std::hypot(offsets[i].eastM, offsets[i].northM);
    horizontal.push_back(error);
    horizontalSquares += error * error;
    if (fixes[i].threeD() && !std::isnan(offsets[i].upM)) {
      verticalSquares += offsets[i].upM * offsets[i].upM;
      ++vertical;
    }
  }
  stats.horizontalRmsM = RootMeanSquare(horizontalSquares, stats.fixes);
  stats.twoDrmsM = 2 * *stats.horizontalRmsM;
  stats.verticalRmsM = RootMeanSquare(verticalSquares, vertical);
  stats.maxHorizontalErrorM = *std::max_element(horizontal.begin(), horizontal.end());
  stats.cep50M = Percentile(horizontal, 0.50);
  stats.cep95M = Percentile(std::move(horizontal), 0.95);
  return stats;
}

std::string StatisticsText(const PositionStatistics& s) {
  std::string out;
  AppendFormat(out, "%-16s %d (2D %d, 3D %d, 3D+ %d)\n", "fixes", s.fixes, s.fixes2d, s.fixes3d,
               s.fixes3dPlus);
  if (s.fixes > 0) {
    const auto height = [](bool known, double metres) {
      if (!known) return std::string("-");
      std::string text;
      AppendFormat(text, "%.3f m", metres);
      return text;
    };
    AppendFormat(out, "%-16s %.9f %.9f %s\n", "mean position", s.mean.latitudeDeg,
                 s.mean.longitudeDeg, height(s.heightKnown, s.mean.heightM).c_str());
    AppendFormat(out, "%-16s %.9f %.9f %s%s\n", "reference", s.reference.latitudeDeg,
                 s.reference.longitudeDeg,
                 height(s.heightKnown || s.referenceHeightGiven, s.reference.heightM).c_str(),
                 s.referenceGiven ? "" : " (the mean)");
  }
  AppendMetres(out, "CEP50", s.cep50M);
  AppendMetres(out, "CEP95", s.cep95M);
  AppendMetres(out, "2DRMS", s.twoDrmsM);
  AppendMetres(out, "horizontal RMS", s.horizontalRmsM);
  AppendMetres(out, "vertical RMS", s.verticalRmsM);
  AppendMetres(out, "max horizontal", s.maxHorizontalErrorM);
  return out;
}

std::string StatisticsJson(const PositionStatistics& s) {
  std::string out;
  AppendFormat(out, "{\"fixes\":%d,\"fixes_by_mode\":{\"2D\":%d,\"3D\":%d,\"3D+\":%d},", s.fixes,
               s.fixes2d, s.fixes3d, s.fixes3dPlus);
  out += "\"mean\":";
  if (s.fixes > 0) {
    AppendPositionJson(out, s.mean, s.heightKnown);
  } else {
    out += "null";
  }
  out += ",\"reference\":";
  if (s.fixes > 0) {
    AppendPositionJson(out, s.reference, s.heightKnown || s.referenceHeightGiven);
  } else {
    out += "null";
  }
  AppendFormat(out, ",\"reference_given\":%s,", s.referenceGiven ? "true" : "false");
  AppendJsonNumber(out, "cep50_m", s.cep50M, "%.4f");
  out += ',';
  AppendJsonNumber(out, "cep95_m", s.cep95M, "%.4f");
  out += ',';
  AppendJsonNumber(out, "2drms_m", s.twoDrmsM, "%.4f");
  out += ',';
  AppendJsonNumber(out, "horizontal_rms_m", s.horizontalRmsM, "%.4f");
  out += ',';
  AppendJsonNumber(out, "vertical_rms_m", s.verticalRmsM, "%.4f");
  out += ',';
  AppendJsonNumber(out, "max_horizontal_error_m", s.maxHorizontalErrorM, "%.4f");
  out += "}\n";
  return out;
}

std::string StatisticsCsv(const std::vector<FixSample>& fixes, const GeodeticDeg& reference) {
  std::string csv =
      "utc,latitude,longitude,altitude_msl_m,height_ellipsoid_m,fix_mode,satellites_used,hdop,"
      "east_m,north_m,up_m\n";
  const std::vector<EnuOffset> offsets = OffsetsFrom(reference, fixes);
  for (size_t i = 0; i < fixes.size(); ++i) {
    const FixSample& f = fixes[i];
    csv += UtcText(f);
    csv += ',';
    AppendCsvNumber(csv, f.latitudeDeg, "%.9f");
    AppendCsvNumber(csv, f.longitudeDeg, "%.9f");
    AppendCsvNumber(csv, f.altitudeMslM, "%.3f");
    // Above the ellipsoid only where the receiver gave its geoid separation.
    AppendCsvNumber(csv, std::isnan(f.geoidSeparationM) ? f.geoidSeparationM : f.EllipsoidHeightM(),
                    "%.3f");
    csv += FixModeName(f.fixMode);
    AppendFormat(csv, ",%d,%.2f,", f.satellitesUsed, static_cast<double>(f.hdop));
    AppendCsvNumber(csv, offsets[i].eastM, "%.3f");
    AppendCsvNumber(csv, offsets[i].northM, "%.3f");
    if (f.threeD() && std::isfinite(offsets[i].upM)) AppendFormat(csv, "%.3f", offsets[i].upM);
    csv += '\n';
  }
  return csv;
}

bool WriteStatisticsCsv(const std::string& path, const std::vector<FixSample>& fixes,
                        const GeodeticDeg& reference) {
  return WriteFileWhole(path, StatisticsCsv(fixes, reference));
}

std::string MetresText(const std::optional<double>& metres) {
  if (!metres || !std::isfinite(*metres)) return "-";
  std::string text;
  AppendFormat(text, "%.3f m", *metres);
  return text;
}

}  // namespace vetra
