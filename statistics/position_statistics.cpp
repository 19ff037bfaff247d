#include "statistics/position_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <numbers>

#include "model/number_text.h"

namespace vetra {

namespace {

constexpr int64_t kDenseBins = 1'000'000;  // 1 km of 1 mm bins in the vector

[[gnu::format(printf, 2, 3)]] void AppendFormat(std::string& out, const char* format, ...) {
  char buffer[160];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n > 0) out.append(buffer, static_cast<size_t>(std::min<int>(n, sizeof buffer - 1)));
}

double Dot(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

std::array<double, 3> Minus(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

std::array<double, 3> Widened(const std::array<float, 3>& y) { return {y[0], y[1], y[2]}; }

std::optional<double> RootMeanSquare(double sumOfSquares, int64_t count) {
  if (count == 0) return std::nullopt;
  return std::sqrt(std::max(sumOfSquares, 0.0) / static_cast<double>(count));
}

// The order statistic k (from 0) of values, which it reorders.
double OrderStatistic(std::vector<double>& values, size_t k) {
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
  return values[k];
}

std::optional<double> PercentileInPlace(std::vector<double>& values, double p) {
  if (values.empty()) return std::nullopt;
  const double rank = std::clamp(p, 0.0, 1.0) * static_cast<double>(values.size() - 1);
  const auto below = static_cast<size_t>(std::floor(rank));
  const double low = OrderStatistic(values, below);
  if (below + 1 >= values.size()) return low;
  // nth_element left every larger value after `below`: the next order statistic is their least.
  const double high =
      *std::min_element(values.begin() + static_cast<std::ptrdiff_t>(below) + 1, values.end());
  return low + (high - low) * (rank - static_cast<double>(below));
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
  const auto lat = ReadTypedNumber(parts[0]);
  const auto lon = ReadTypedNumber(parts[1]);
  if (!lat || !lon || std::fabs(*lat) > 90 || std::fabs(*lon) > 180) return std::nullopt;
  ReferencePosition reference{*lat, *lon, std::nullopt};
  if (parts.size() == 3) {
    reference.heightM = ReadTypedNumber(parts[2]);
    if (!reference.heightM) return std::nullopt;
  }
  return reference;
}

std::array<double, 3> EcefOf(const FixSample& fix) {
  double height = fix.EllipsoidHeightM();
  if (std::isnan(height)) height = std::isnan(fix.altitudeMslM) ? 0.0 : fix.altitudeMslM;
  return GeodeticToEcef({fix.latitudeDeg, fix.longitudeDeg, height});
}

EnuOffset OffsetFrom(const GeodeticDeg& reference, const FixSample& fix) {
  EnuOffset offset = EnuFrom(reference, EcefOf(fix));
  if (std::isnan(fix.EllipsoidHeightM())) offset.upM = kNoValue;
  return offset;
}

// ---- StatisticsModel ----

void StatisticsModel::Moments::Add(const std::array<double, 3>& y) {
  ++count;
  for (int i = 0; i < 3; ++i) {
    sum[i] += y[i];
    for (int j = 0; j < 3; ++j) squares[i * 3 + j] += y[i] * y[j];
  }
}

double StatisticsModel::Moments::SquaresAlong(const std::array<double, 3>& v,
                                              const std::array<double, 3>& c) const {
  // Sum (v.y - v.c)^2 = v' S v - 2 (v.c) (v.sum) + n (v.c)^2
  double vSv = 0;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) vSv += v[i] * squares[i * 3 + j] * v[j];
  }
  const double vc = Dot(v, c);
  return vSv - 2 * vc * Dot(v, sum) + static_cast<double>(count) * vc * vc;
}

StatisticsModel::StatisticsModel(int64_t exactFixes)
    : exactFixes_(std::max<int64_t>(exactFixes, 1)) {}

void StatisticsModel::Clear() {
  const std::optional<ReferencePosition> given = given_;
  *this = StatisticsModel(exactFixes_);
  given_ = given;
}

void StatisticsModel::SetReference(const std::optional<ReferencePosition>& given) {
  if (given == given_) return;
  given_ = given;
  if (binned_) StartBins();
}

void StatisticsModel::Add(const FixSample& fix) {
  const std::array<double, 3> ecef = EcefOf(fix);
  if (count_ == 0) origin_ = ecef;
  const std::array<double, 3> y = Minus(ecef, origin_);
  ++count_;
  if (fix.fix.mode == FixMode::TwoD) {
    ++fixes2d_;
  } else if (Corrected(fix.fix)) {
    ++fixes3dPlus_;
  } else {
    ++fixes3d_;
  }
  all_.Add(y);
  const double height = fix.EllipsoidHeightM();
  if (!std::isnan(height)) {
    ++heights_;
    heightSum_ += height;
    if (fix.threeD()) vertical_.Add(y);
  }
  if (!binned_ && static_cast<int64_t>(positions_.size()) >= exactFixes_) {
    // The exact positions give way to bins about the reference of this moment.
    binned_ = true;
    StartBins();
    for (const Kept& kept : positions_) Bin(kept);
    std::deque<Kept>().swap(positions_);
  }
  const Kept kept{static_cast<float>(y[0]), static_cast<float>(y[1]), static_cast<float>(y[2])};
  if (binned_) {
    Bin(kept);
  } else {
    positions_.push_back(kept);
  }
}

GeodeticDeg StatisticsModel::Mean() const {
  const double n = static_cast<double>(count_);
  GeodeticDeg mean = EcefToGeodeticDeg(
      {origin_[0] + all_.sum[0] / n, origin_[1] + all_.sum[1] / n, origin_[2] + all_.sum[2] / n});
  if (heights_ > 0) mean.heightM = heightSum_ / static_cast<double>(heights_);
  return mean;
}

GeodeticDeg StatisticsModel::Resolve(const GeodeticDeg& mean) const {
  if (!given_) return mean;
  return {given_->latitudeDeg, given_->longitudeDeg, given_->heightM.value_or(mean.heightM)};
}

StatisticsModel::Frame StatisticsModel::FrameOf(const GeodeticDeg& reference) const {
  const double lat = reference.latitudeDeg * std::numbers::pi / 180;
  const double lon = reference.longitudeDeg * std::numbers::pi / 180;
  const double sinLat = std::sin(lat), cosLat = std::cos(lat);
  const double sinLon = std::sin(lon), cosLon = std::cos(lon);
  return {Minus(GeodeticToEcef(reference), origin_),
          {-sinLon, cosLon, 0},
          {-sinLat * cosLon, -sinLat * sinLon, cosLat},
          {cosLat * cosLon, cosLat * sinLon, sinLat}};
}

void StatisticsModel::StartBins() {
  binFrame_ = FrameOf(Resolve(count_ > 0 ? Mean() : GeodeticDeg{}));
  std::vector<uint32_t>().swap(bins_);
  farBins_.clear();
  binnedFixes_ = 0;
  binnedMax_ = 0;
}

void StatisticsModel::Bin(const Kept& y) {
  const std::array<double, 3> d = Minus(Widened(y), binFrame_.c);
  const double error = std::hypot(Dot(binFrame_.east, d), Dot(binFrame_.north, d));
  const auto bin = static_cast<int64_t>(std::floor(error / kBinM));
  if (bin < kDenseBins) {
    if (bin >= static_cast<int64_t>(bins_.size())) bins_.resize(static_cast<size_t>(bin) + 1);
    ++bins_[static_cast<size_t>(bin)];
  } else {
    ++farBins_[bin];
  }
  ++binnedFixes_;
  binnedMax_ = std::max(binnedMax_, error);
}

PositionStatistics StatisticsModel::Compute() const {
  PositionStatistics s;
  s.fixes = static_cast<int>(count_);
  s.fixes2d = fixes2d_;
  s.fixes3d = fixes3d_;
  s.fixes3dPlus = fixes3dPlus_;
  s.exactFixes = exactFixes_;
  s.referenceGiven = given_.has_value();
  s.referenceHeightGiven = given_ && given_->heightM.has_value();
  if (count_ == 0) return s;
  s.mean = Mean();
  s.reference = Resolve(s.mean);
  s.heightKnown = heights_ > 0;

  const Frame frame = FrameOf(s.reference);
  s.horizontalRmsM = RootMeanSquare(
      all_.SquaresAlong(frame.east, frame.c) + all_.SquaresAlong(frame.north, frame.c), count_);
  s.twoDrmsM = 2 * *s.horizontalRmsM;
  s.verticalRmsM = RootMeanSquare(vertical_.SquaresAlong(frame.up, frame.c), vertical_.count);

  if (!binned_) {
    std::vector<double> errors;
    errors.reserve(positions_.size());
    for (const Kept& y : positions_) {
      const std::array<double, 3> d = Minus(Widened(y), frame.c);
      errors.push_back(std::hypot(Dot(frame.east, d), Dot(frame.north, d)));
    }
    s.percentileFixes = static_cast<int64_t>(errors.size());
    s.maxHorizontalErrorM = *std::max_element(errors.begin(), errors.end());
    s.cep95M = PercentileInPlace(errors, 0.95);
    s.cep50M = PercentileInPlace(errors, 0.50);
    return s;
  }
  s.percentilesBinned = true;
  s.percentileFixes = binnedFixes_;
  if (binnedFixes_ == 0) return s;
  // The order statistic k lies in the bin where the running count passes k: its middle.
  const auto orderStatistic = [this](int64_t k) {
    int64_t seen = 0;
    for (size_t bin = 0; bin < bins_.size(); ++bin) {
      seen += bins_[bin];
      if (seen > k) return (static_cast<double>(bin) + 0.5) * kBinM;
    }
    for (const auto& [bin, count] : farBins_) {
      seen += static_cast<int64_t>(count);
      if (seen > k) return (static_cast<double>(bin) + 0.5) * kBinM;
    }
    return binnedMax_;
  };
  const auto percentile = [&](double p) {
    const double rank = p * static_cast<double>(binnedFixes_ - 1);
    const auto below = static_cast<int64_t>(std::floor(rank));
    const double low = std::min(orderStatistic(below), binnedMax_);
    const double high = std::min(orderStatistic(std::min(below + 1, binnedFixes_ - 1)), binnedMax_);
    return low + (high - low) * (rank - static_cast<double>(below));
  };
  s.cep50M = percentile(0.50);
  s.cep95M = percentile(0.95);
  s.maxHorizontalErrorM = binnedMax_;
  return s;
}

PositionStatistics ComputeStatistics(const std::vector<FixSample>& fixes,
                                     const std::optional<ReferencePosition>& given) {
  StatisticsModel model;
  model.SetReference(given);
  for (const FixSample& fix : fixes) model.Add(fix);
  return model.Compute();
}

std::optional<double> Percentile(std::vector<double> values, double p) {
  return PercentileInPlace(values, p);
}

// ---- reports ----

std::string PercentileNote(const PositionStatistics& s) {
  if (!s.percentilesBinned) return {};
  std::string note;
  if (s.percentileFixes == s.fixes) {
    AppendFormat(note, "CEP and largest error from 1 mm bins beyond %lld fixes",
                 static_cast<long long>(s.exactFixes));
  } else {
    AppendFormat(note,
                 "CEP and largest error from 1 mm bins of the %lld fixes since the "
                 "reference changed",
                 static_cast<long long>(s.percentileFixes));
  }
  return note;
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
  if (s.percentilesBinned) AppendFormat(out, "%-16s %s\n", "note", PercentileNote(s).c_str());
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
  AppendFormat(out, ",\"percentiles_binned\":%s,\"percentile_fixes\":%lld}\n",
               s.percentilesBinned ? "true" : "false", static_cast<long long>(s.percentileFixes));
  return out;
}

const char kStatisticsCsvHeader[] =
    "utc,latitude,longitude,altitude_msl_m,height_ellipsoid_m,fix_mode,satellites_used,hdop,"
    "east_m,north_m,up_m\n";

void AppendCsvRow(std::string& out, const FixSample& f, const GeodeticDeg& reference) {
  out += UtcText(f);
  out += ',';
  AppendCsvNumber(out, f.latitudeDeg, "%.9f");
  AppendCsvNumber(out, f.longitudeDeg, "%.9f");
  AppendCsvNumber(out, f.altitudeMslM, "%.3f");
  AppendCsvNumber(out, f.EllipsoidHeightM(), "%.3f");
  out += FixShortText(f.fix);
  out += ',';
  if (f.satellitesUsed >= 0) AppendFormat(out, "%d", f.satellitesUsed);
  out += ',';
  AppendCsvNumber(out, f.hdop, "%.2f");
  const EnuOffset offset = OffsetFrom(reference, f);
  AppendCsvNumber(out, offset.eastM, "%.3f");
  AppendCsvNumber(out, offset.northM, "%.3f");
  if (f.threeD() && std::isfinite(offset.upM)) AppendFormat(out, "%.3f", offset.upM);
  out += '\n';
}

std::string StatisticsCsv(const std::vector<FixSample>& fixes, const GeodeticDeg& reference) {
  std::string csv = kStatisticsCsvHeader;
  for (const FixSample& fix : fixes) AppendCsvRow(csv, fix, reference);
  return csv;
}

std::string MetresText(const std::optional<double>& metres) {
  if (!metres || !std::isfinite(*metres)) return "-";
  std::string text;
  AppendFormat(text, "%.3f m", *metres);
  return text;
}

}  // namespace vetra
