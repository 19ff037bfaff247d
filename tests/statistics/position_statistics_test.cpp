// Position statistics on fixes with a known answer (points on known circles around a reference),
// a logged run whose minutes carry seven decimals through the epochs, the statistics and the CSV
// export, and the bounded memory: the switch from exact percentiles to 1 mm bins, with the mean
// and the RMS figures exact on both sides of it.
#include "statistics/position_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "epoch/epoch_stream.h"
#include "support/static_log.h"

namespace vetra {
namespace {

constexpr double kMm = 1e-3;

// The fix that lies at this east/north/up offset from the reference: the ENU rotation undone.
FixSample FixAt(const GeodeticDeg& reference, double east, double north, double up, int mode = 2) {
  const double lat = reference.latitudeDeg * std::numbers::pi / 180;
  const double lon = reference.longitudeDeg * std::numbers::pi / 180;
  const std::array<double, 3> o = GeodeticToEcef(reference);
  const std::array<double, 3> ecef = {
      o[0] - std::sin(lon) * east - std::sin(lat) * std::cos(lon) * north +
          std::cos(lat) * std::cos(lon) * up,
      o[1] + std::cos(lon) * east - std::sin(lat) * std::sin(lon) * north +
          std::cos(lat) * std::sin(lon) * up,
      o[2] + std::cos(lat) * north + std::sin(lat) * up};
  const GeodeticDeg g = EcefToGeodeticDeg(ecef);
  FixSample fix;
  fix.fix = *FixOfRecordMode(mode);
  fix.latitudeDeg = g.latitudeDeg;
  fix.longitudeDeg = g.longitudeDeg;
  fix.altitudeMslM = g.heightM;
  fix.geoidSeparationM = 0;
  return fix;
}

TEST(PositionStatistics, PointsOnKnownCirclesAroundAGivenReference) {
  // One fix on each circle of radius 1..20 m; the first is a 2D fix 100 m up, which the vertical
  // figure must leave out; the 3D fixes lie 0.5 m above or below.
  const GeodeticDeg reference{-33.8568, 151.2153, 40};
  std::vector<FixSample> fixes;
  for (int k = 1; k <= 20; ++k) {
    const double angle = k * 37.0 * std::numbers::pi / 180;
    const bool first = k == 1;
    fixes.push_back(FixAt(reference, k * std::sin(angle), k * std::cos(angle),
                          first ? 100 : (k % 2 ? 0.5 : -0.5), first ? 1 : 2));
  }
  const PositionStatistics s =
      ComputeStatistics(fixes, ReferencePosition{-33.8568, 151.2153, 40.0});
  EXPECT_EQ(s.fixes, 20);
  EXPECT_EQ(s.fixes2d, 1);
  EXPECT_EQ(s.fixes3d, 19);
  // Sorted errors 1..20: rank 0.5 x 19 = 9.5 lies between 10 and 11; rank 0.95 x 19 = 18.05
  // between 19 and 20. 2DRMS = 2 sqrt((1 + 4 + ... + 400) / 20) = 2 sqrt(143.5).
  EXPECT_NEAR(*s.cep50M, 10.5, kMm);
  EXPECT_NEAR(*s.cep95M, 19.05, kMm);
  EXPECT_NEAR(*s.twoDrmsM, 2 * std::sqrt(143.5), kMm);
  EXPECT_NEAR(*s.horizontalRmsM, std::sqrt(143.5), kMm);
  EXPECT_NEAR(*s.maxHorizontalErrorM, 20, kMm);
  EXPECT_NEAR(*s.verticalRmsM, 0.5, kMm);
}

TEST(PositionStatistics, MeanOfARingAcrossTheAntimeridianIsItsCentre) {
  // Eight fixes 3 m from a centre on the antimeridian, half of them east of it (longitude near
  // -180) and half west (near +180): a mean of the degrees would land on the prime meridian.
  const GeodeticDeg centre{10, 180, 12};
  std::vector<FixSample> fixes;
  for (int k = 0; k < 8; ++k) {
    const double angle = k * std::numbers::pi / 4;
    fixes.push_back(FixAt(centre, 3 * std::cos(angle), 3 * std::sin(angle), 0));
  }
  const PositionStatistics s = ComputeStatistics(fixes, std::nullopt);
  EXPECT_FALSE(s.referenceGiven);
  EXPECT_NEAR(std::fabs(s.mean.longitudeDeg), 180, 1e-8);
  EXPECT_NEAR(s.mean.latitudeDeg, 10, 1e-8);
  // The ring bends below the tangent plane by r^2 / 2R, 0.7 micrometres: the mean keeps the height.
  EXPECT_NEAR(s.mean.heightM, 12, kMm);
  EXPECT_NEAR(*s.cep50M, 3, kMm);
  EXPECT_NEAR(*s.cep95M, 3, kMm);
  EXPECT_NEAR(*s.twoDrmsM, 6, kMm);
}

TEST(PositionStatistics, FixesWithoutHeightsReportNoHeight) {
  std::vector<FixSample> fixes = {FixAt({44, -121, 0}, 1, 0, 0), FixAt({44, -121, 0}, -1, 0, 0)};
  for (FixSample& fix : fixes) fix.altitudeMslM = TExactFix::kUnknown;  // RMC alone: no altitude
  const PositionStatistics s = ComputeStatistics(fixes, std::nullopt);
  EXPECT_FALSE(s.heightKnown);
  EXPECT_NE(StatisticsText(s).find("mean position    44.000000000 -121.000000000 -\n"),
            std::string::npos)
      << StatisticsText(s);
  EXPECT_NE(StatisticsJson(s).find("\"height_m\":null"), std::string::npos);
  EXPECT_FALSE(s.verticalRmsM);
}

TEST(PositionStatistics, PercentileInterpolatesBetweenOrderStatistics) {
  EXPECT_FALSE(Percentile({}, 0.5));
  EXPECT_DOUBLE_EQ(*Percentile({7}, 0.95), 7);
  EXPECT_DOUBLE_EQ(*Percentile({4, 1, 3, 2}, 0.5), 2.5);  // rank 1.5
  EXPECT_DOUBLE_EQ(*Percentile({4, 1, 3, 2}, 1.0), 4);
}

TEST(PositionStatistics, ReferenceReadsLatLonAndAnOptionalHeight) {
  const auto full = ParseReference("-33.5,151.25,12.5");
  ASSERT_TRUE(full);
  EXPECT_DOUBLE_EQ(full->latitudeDeg, -33.5);
  EXPECT_DOUBLE_EQ(full->longitudeDeg, 151.25);
  EXPECT_DOUBLE_EQ(*full->heightM, 12.5);
  EXPECT_FALSE(ParseReference("49.2,-123.1")->heightM);
  for (const char* bad : {"", "49.2", "91,0", "0,180.5", "1,2,3,4", "a,b", "1,2,x", "1;2"}) {
    EXPECT_FALSE(ParseReference(bad)) << bad;
  }
}

// The digits of the sentences reach the statistics and the CSV export to a centimetre: the
// record's 32-bit floats would be up to 0.78 m away.
TEST(PositionStatistics, SevenDecimalLogKeepsItsDigitsThroughStatisticsAndCsv) {
  std::vector<test::LoggedFix> logged;
  const std::string log = test::StaticLog({}, &logged);
  EpochStream stream;
  std::vector<Epoch> epochs;
  stream.Feed(std::span(reinterpret_cast<const uint8_t*>(log.data()), log.size()), epochs);
  stream.Finish(epochs);
  std::vector<FixSample> fixes;
  for (const Epoch& epoch : epochs) {
    if (auto fix = FixSampleOf(epoch)) fixes.push_back(*fix);
  }
  ASSERT_EQ(fixes.size(), logged.size());  // GGA and RMC of an epoch are one fix

  const double metresPerDegree = 111'320;
  std::istringstream csv(StatisticsCsv(fixes, {49.26872428, -123.11872011, 0}));
  std::string line;
  std::getline(csv, line);  // the header
  for (const test::LoggedFix& fix : logged) {
    ASSERT_TRUE(std::getline(csv, line));
    std::istringstream fields(line);
    std::string utc, lat, lon;
    std::getline(fields, utc, ',');
    std::getline(fields, lat, ',');
    std::getline(fields, lon, ',');
    EXPECT_LT(std::fabs(std::stod(lat) - fix.latitudeDeg) * metresPerDegree, 0.01) << line;
    EXPECT_LT(std::fabs(std::stod(lon) - fix.longitudeDeg) * metresPerDegree, 0.01) << line;
  }

  double latitudeSum = 0;
  for (const test::LoggedFix& fix : logged) latitudeSum += fix.latitudeDeg;
  const PositionStatistics s = ComputeStatistics(fixes, std::nullopt);
  EXPECT_LT(std::fabs(s.mean.latitudeDeg - latitudeSum / logged.size()) * metresPerDegree, 0.01);
}

}  // namespace
}  // namespace vetra
