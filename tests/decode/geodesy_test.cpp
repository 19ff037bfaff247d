#include "decode/geodesy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace vetra {
namespace {

constexpr double kA = 6378137.0;
constexpr double kB = 6356752.314245179;
constexpr double kE2 = 0.006694379990141317;
constexpr double kQuarter = 1.5707963267949;
constexpr double kDeg = std::numbers::pi / 180;

std::array<double, 3> ToEcef(double lat, double lon, double h) {
  const double n = kA / std::sqrt(1 - kE2 * std::sin(lat) * std::sin(lat));
  return {(n + h) * std::cos(lat) * std::cos(lon), (n + h) * std::cos(lat) * std::sin(lon),
          (n * (1 - kE2) + h) * std::sin(lat)};
}

// The exact inverse by fixed-point iteration on the latitude, run to convergence. The height uses
// the form that stays well conditioned near the poles.
std::array<double, 3> IterativeReference(const std::array<double, 3>& e) {
  const double p = std::hypot(e[0], e[1]);
  double lat = std::atan2(e[2], p * (1 - kE2));
  double h = 0;
  for (int i = 0; i < 200; ++i) {
    const double s = std::sin(lat);
    const double n = kA / std::sqrt(1 - kE2 * s * s);
    h = p * std::cos(lat) + e[2] * s - kA * kA / n;
    const double next = std::atan2(e[2], p * (1 - kE2 * n / (n + h)));
    const bool done = std::fabs(next - lat) < 1e-15;
    lat = next;
    if (done) break;
  }
  return {lat, std::atan2(e[1], e[0]), h};
}

struct EdgeCase {
  const char* what;
  std::array<double, 3> ecef;
  std::array<double, 3> expected;  // latitude, longitude (radians), height (metres)
  double heightTolerance;
};

TEST(Geodesy, EdgeCases) {
  const EdgeCase cases[] = {
      {"equator, prime meridian", {kA, 0, 0}, {0, 0, 0}, 1e-6},
      {"equator, 90 east", {0, kA, 0}, {0, std::numbers::pi / 2, 0}, 1e-6},
      {"equator, 180", {-kA, 0, 0}, {0, std::numbers::pi, 0}, 1e-6},
      {"north pole on the axis", {0, 0, kB}, {kQuarter, 0, 0}, 0},
      {"100 m below the south pole", {0, 0, -(kB + 100)}, {-kQuarter, 0, 100}, 0},
      {"centre of the Earth", {0, 0, 0}, {kQuarter, 0, -kB}, 0},
      {"inside the axis threshold", {1e-6, 1e-6, kB}, {kQuarter, 0, 0}, 0},
  };
  for (const EdgeCase& c : cases) {
    const auto out = ecefToGeodetic(c.ecef);
    EXPECT_NEAR(out[0], c.expected[0], 1e-12) << c.what;
    EXPECT_NEAR(out[1], c.expected[1], 1e-12) << c.what;
    EXPECT_NEAR(out[2], c.expected[2], c.heightTolerance) << c.what;
  }
}

TEST(Geodesy, PolarBranchGivesTheExactQuarterTurn) {
  double in[3] = {0, 0, kB};
  double out[3] = {9, 9, 9};
  ecefToGeodetic(in, out);
  EXPECT_EQ(out[0], 1.5707963267949);
  EXPECT_EQ(out[1], 0.0);
  EXPECT_EQ(out[2], 0.0);
}

// Just outside the axis threshold the closed form is used. The height p / cos(latitude) loses
// precision as p shrinks, but a centimetre from the axis it is still good to a few millimetres,
// and even a tenth of a millimetre away it stays finite.
TEST(Geodesy, JustOffTheAxis) {
  auto out = ecefToGeodetic({0.01, 0, kB + 50});
  EXPECT_NEAR(out[0], std::numbers::pi / 2, 1e-8);
  EXPECT_EQ(out[1], 0.0);
  EXPECT_NEAR(out[2], 50, 0.005);
  out = ecefToGeodetic({-1e-4, 0, -kB});
  EXPECT_NEAR(out[0], -std::numbers::pi / 2, 1e-9);
  EXPECT_NEAR(out[1], std::numbers::pi, 1e-12);
  EXPECT_TRUE(std::isfinite(out[2]));
}

TEST(Geodesy, HundredMetresAbove45North10East) {
  const auto out = ecefToGeodetic(ToEcef(45 * kDeg, 10 * kDeg, 100));
  EXPECT_NEAR(out[0], 45 * kDeg, 1e-9);  // 1e-9 rad is 6 mm on the ground
  EXPECT_NEAR(out[1], 10 * kDeg, 1e-12);
  EXPECT_NEAR(out[2], 100, 0.003);
}

// Positions a logger records: from below sea level to aircraft height, every latitude band and
// longitude. The one closed-form step agrees with the exact iteration and with the position the
// point was made from, to millimetres.
TEST(Geodesy, RoundTripAgainstIterativeReference) {
  for (double latDeg = -89.5; latDeg <= 89.5; latDeg += 4.25) {
    for (double lonDeg = -180; lonDeg < 180; lonDeg += 25) {
      for (double h : {-420.0, 0.0, 100.0, 8848.0, 15000.0}) {
        const auto ecef = ToEcef(latDeg * kDeg, lonDeg * kDeg, h);
        const auto got = ecefToGeodetic(ecef);
        const auto ref = IterativeReference(ecef);
        ASSERT_NEAR(got[0], ref[0], 1e-10) << latDeg << " " << lonDeg << " " << h;
        ASSERT_NEAR(got[1], ref[1], 1e-12) << latDeg << " " << lonDeg << " " << h;
        ASSERT_NEAR(got[2], ref[2], 0.002) << latDeg << " " << lonDeg << " " << h;
        ASSERT_NEAR(ref[0], latDeg * kDeg, 1e-12);
        ASSERT_NEAR(ref[2], h, 1e-6);
      }
    }
  }
}

// The whole range a trace can hold: every latitude from pole to pole (the last steps within a
// metre of the axis), heights from 1 km below the ellipsoid to 100 km above it. The largest
// errors against the exact iteration are recorded with the test's properties.
TEST(Geodesy, LargestErrorOverTheWholeGrid) {
  double worstLat = 0, worstHeight = 0;
  double worstLatAt = 0, worstHeightAt = 0;
  for (double latDeg = -90; latDeg <= 90; latDeg += 0.5) {
    // On the axis itself the polar branch is exact; start just off it.
    const double lat = std::clamp(latDeg, -89.99999, 89.99999) * kDeg;
    for (double lonDeg = -180; lonDeg < 180; lonDeg += 45) {
      for (double h = -1000; h <= 100000; h += 2525) {
        const auto ecef = ToEcef(lat, lonDeg * kDeg, h);
        const auto got = ecefToGeodetic(ecef);
        const auto ref = IterativeReference(ecef);
        const double latError = std::fabs(got[0] - ref[0]);
        const double heightError = std::fabs(got[2] - ref[2]);
        if (latError > worstLat) worstLat = latError, worstLatAt = latDeg;
        if (heightError > worstHeight) worstHeight = heightError, worstHeightAt = latDeg;
      }
    }
  }
  RecordProperty("largest_latitude_error_rad", std::to_string(worstLat));
  RecordProperty("largest_height_error_m", std::to_string(worstHeight));
  std::printf(
      "largest latitude error %.3g rad (at %.1f deg), largest height error %.3g m (at %.1f deg)\n",
      worstLat, worstLatAt, worstHeight, worstHeightAt);
  // A millimetre of latitude is about 1.6e-10 rad on the Earth's surface.
  EXPECT_LT(worstLat, 1e-10);
  EXPECT_LT(worstHeight, 0.01);
}

// Local east/north/up against values worked by hand from the rotation's rows: at the equator on
// the prime meridian east is +y, north +z, up +x; at the north pole east is +y and north -x; on
// the antimeridian east is -y and up -x, and a point 1e-4 degrees across it lies a * 1e-4 * pi /
// 180 = 11.131949 m east (the chord differs from the arc by far less than a millimetre).
TEST(Geodesy, EastNorthUpAgainstHandWorkedValues) {
  struct Row {
    const char* where;
    GeodeticDeg reference;
    std::array<double, 3> pointEcef;
    EnuOffset expected;
  };
  const double arc = kA * 1e-4 * kDeg;
  const Row rows[] = {
      {"equator", {0, 0, 0}, {kA + 10, 100, 50}, {100, 50, 10}},
      {"north pole", {90, 0, 0}, {-20, 30, kB + 5}, {30, 20, 5}},
      {"antimeridian, west side", {0, 180, 0}, GeodeticToEcef({0, 179.9999, 0}), {-arc, 0, 0}},
      {"antimeridian, east side", {0, 180, 0}, GeodeticToEcef({0, -179.9999, 0}), {arc, 0, 0}},
      {"antimeridian, above", {0, -180, 0}, {-kA - 7, 0, 0}, {0, 0, 7}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.where);
    const EnuOffset got = EnuFrom(row.reference, row.pointEcef);
    EXPECT_NEAR(got.eastM, row.expected.eastM, 1e-3);
    EXPECT_NEAR(got.northM, row.expected.northM, 1e-3);
    EXPECT_NEAR(got.upM, row.expected.upM, 1e-3);
  }
  EXPECT_NEAR(arc, 11.131949, 1e-6);
}

}  // namespace
}  // namespace vetra
