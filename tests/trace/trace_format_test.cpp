#include "trace/trace_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>

#include "decode/nmea.h"
#include "trace_test_helpers.h"

namespace vetra {
namespace {

using test::SampleRecord;

std::string FormatOne(TraceFormat format, const TraceRecord& r) {
  TTraceFormatter formatter(format);
  std::string out;
  formatter.Format(r, out);
  return out;
}

TEST(TraceFormat, EcefLineHasDateTimeWithoutLeadingZeros) {
  TraceRecord r = SampleRecord(18000, -2000000, 3, -4);
  EXPECT_EQ(FormatOne(TraceFormat::Ecef, r), "2009/1/1, 10:0:0, -2000000, 3, -4, 5, 1, 1, -3\n");
}

TEST(TraceFormat, RecordsWithinOneTickGetDistinctSeconds) {
  TTraceFormatter formatter(TraceFormat::Ecef);
  const TraceRecord r = SampleRecord(1000);
  std::vector<int> seconds;
  for (int i = 0; i < 3; ++i) seconds.push_back(formatter.NextTime(r).second);
  // 2T = 2000 s -> 0:33:20; then 2T + 1; the third is compared with 2T + 1 and keeps 2T.
  EXPECT_EQ(seconds, (std::vector<int>{20, 21, 20}));
}

TEST(TraceFormat, GeodeticColumnsPrintLikePercentF) {
  // Equatorial point 45 degrees east, 100 m up.
  const double a = 6378137.0 + 100.0;
  TraceRecord r =
      SampleRecord(0, static_cast<int32_t>(std::lround(a * std::cos(std::numbers::pi / 4))),
                   static_cast<int32_t>(std::lround(a * std::sin(std::numbers::pi / 4))), 0);
  const TracePosition p = TraceRecordPosition(r);
  char expected[200];
  std::snprintf(expected, sizeof expected, "2009/1/1, 0:0:0, %f, %f, %f, 5, 1, 1, -3\n",
                p.latitudeDeg, p.longitudeDeg, p.heightM);
  EXPECT_EQ(FormatOne(TraceFormat::Geodetic, r), expected);
  EXPECT_NEAR(p.latitudeDeg, 0.0, 1e-9);
  EXPECT_NEAR(p.longitudeDeg, 45.0, 1e-6);
  EXPECT_NEAR(p.heightM, 100.0, 1.0);  // x and y are whole metres
}

TEST(TraceFormat, FixedDecimalsMatchPrintfOverManyValues) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> value(-7000000.0, 7000000.0);
  for (int i = 0; i < 20000; ++i) {
    const double v = i < 8 ? std::ldexp(1.0, -7 - i) * (i % 2 ? -1 : 1) : value(random);
    for (int decimals : {1, 6, 7}) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "%.*f", decimals, v);
      std::string got;
      AppendFixed(got, v, decimals);
      ASSERT_EQ(got, expected) << v;
    }
  }
}

// Every sentence the GGA and RMC forms write decodes with the program's own parser back to the
// record's position within the sentence's precision (1e-4 minute).
class SentenceRoundTrip : public testing::TestWithParam<std::array<double, 3>> {};

TEST_P(SentenceRoundTrip, DecodesBackToThePosition) {
  const auto [latDeg, lonDeg, heightM] = GetParam();
  const double a = 6378137.0, e2 = 0.006694379990141317;
  const double lat = latDeg * std::numbers::pi / 180, lon = lonDeg * std::numbers::pi / 180;
  const double n = a / std::sqrt(1 - e2 * std::sin(lat) * std::sin(lat));
  TraceRecord r =
      SampleRecord(45296 / 2, std::lround((n + heightM) * std::cos(lat) * std::cos(lon)),
                   std::lround((n + heightM) * std::cos(lat) * std::sin(lon)),
                   std::lround((n * (1 - e2) + heightM) * std::sin(lat)));
  r.day = 28;
  r.month = 2;
  r.year = 2024;
  const TracePosition p = TraceRecordPosition(r);

  for (TraceFormat format : {TraceFormat::Gga, TraceFormat::Rmc}) {
    std::string line = FormatOne(format, r);
    ASSERT_EQ(line.back(), '\n');
    ASSERT_EQ(line.find('\n'), line.size() - 1) << "one sentence per line";
    line.pop_back();
    line += "\r\n";
    TNmea nmea;
    const NmeaFeed fed =
        nmea.Feed(reinterpret_cast<const uint8_t*>(line.data()), static_cast<int>(line.size()));
    ASSERT_EQ(fed.result, kNmeaAccepted) << line;
    const TNavRecord& rec = nmea.record();
    const double tolerance = 1e-4 / 60 + 1e-5;  // the sentence's precision, and float storage
    EXPECT_NEAR(rec.latitudeDeg, std::fabs(p.latitudeDeg), tolerance) << line;
    EXPECT_NEAR(rec.longitudeDeg, std::fabs(p.longitudeDeg), tolerance) << line;
    EXPECT_EQ(rec.latitudeHemisphere, p.latitudeDeg < 0 ? 'S' : 'N');
    EXPECT_EQ(rec.longitudeHemisphere, p.longitudeDeg < 0 ? 'W' : 'E');
    EXPECT_EQ(rec.hour, 12);
    EXPECT_EQ(rec.minute, 34);
    EXPECT_EQ(rec.second, 56);
    if (format == TraceFormat::Gga) {
      // Above the fixed 16 m geoid: the altitude and the separation add up to the ellipsoidal
      // height of the record.
      EXPECT_EQ(rec.altitudeM, static_cast<int16_t>(std::lround(p.heightM - 16)));
    } else {
      EXPECT_EQ(rec.day, 28);
      EXPECT_EQ(rec.month, 2);
      EXPECT_EQ(rec.year, 2024);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Positions, SentenceRoundTrip,
                         testing::Values(std::array<double, 3>{49.2167, -123.1, 12},
                                         std::array<double, 3>{-33.8688, 151.2093, 58},
                                         std::array<double, 3>{0.00001, 0.00001, -20},
                                         std::array<double, 3>{-89.99, 179.9999, 2500},
                                         std::array<double, 3>{59.99999, -0.5, 0}));

TEST(TraceFormat, SentenceCarriesItsChecksum) {
  const std::string gga = BuildGgaSentence({2009, 1, 1, 10, 0, 0}, {49.5, -123.25, 12.4});
  EXPECT_EQ(gga.substr(0, 46), "$GPGGA,100000.00,4930.0000,N,12315.0000,W,1,10");
  unsigned sum = 0;
  const size_t star = gga.find('*');
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(gga[i]);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  EXPECT_EQ(gga.substr(star + 1), hex);
  EXPECT_NE(gga.find(",-000004,M,16,M,,*"), std::string::npos);  // 12.4 m less the 16 m geoid
}

TEST(TraceFormat, GpxAndKmlDocumentsHoldEveryPoint) {
  for (TraceFormat format : {TraceFormat::Gpx, TraceFormat::Kml}) {
    TTraceFormatter formatter(format);
    std::string out;
    formatter.Begin(out);
    formatter.Format(SampleRecord(18000), out);
    formatter.Format(SampleRecord(18001), out);
    formatter.End(out);
    EXPECT_EQ(out.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    if (format == TraceFormat::Gpx) {
      EXPECT_NE(out.find("xmlns=\"http://www.topografix.com/GPX/1/1\""), std::string::npos);
      EXPECT_NE(out.find("<time>2009-01-01T10:00:00Z</time>"), std::string::npos);
      EXPECT_NE(out.find("<time>2009-01-01T10:00:02Z</time>"), std::string::npos);
      EXPECT_TRUE(out.ends_with("</gpx>\n"));
    } else {
      EXPECT_NE(out.find("xmlns=\"http://www.opengis.net/kml/2.2\""), std::string::npos);
      EXPECT_NE(out.find("<when>2009-01-01T10:00:02Z</when>"), std::string::npos);
      EXPECT_NE(out.find("<LineString>"), std::string::npos);
      EXPECT_TRUE(out.ends_with("</kml>\n"));
    }
  }
}

// GPX and KML always validate: records that cannot be real fixes are skipped (the text forms
// keep them), 180 degrees of longitude are written as -180, and one point makes no track line.
TEST(TraceFormat, TracksSkipWhatCannotBeARealFixAndKeepTheirRanges) {
  auto with = [](int year, int month, int day, int timeField, int32_t x = 4510731) {
    TraceRecord r = SampleRecord(timeField, x);
    r.year = year;
    r.month = month;
    r.day = day;
    return r;
  };
  const TraceRecord impossible[] = {with(2009, 0, 1, 18000),   with(2009, 13, 1, 18000),
                                    with(2009, 1, 0, 18000),   with(2009, 2, 29, 18000),
                                    with(2009, 1, 1, 43200),   with(1979, 1, 1, 18000),
                                    with(2009, 1, 1, 18000, 0)};
  for (TraceFormat format : {TraceFormat::Gpx, TraceFormat::Kml, TraceFormat::Ecef}) {
    TTraceFormatter formatter(format);
    std::string out;
    int written = 0;
    for (TraceRecord r : impossible) {
      if (r.x == 0) r.y = r.z = 0;  // the Earth's centre
      written += formatter.Format(r, out) ? 1 : 0;
    }
    EXPECT_EQ(written, format == TraceFormat::Ecef ? 7 : 0) << static_cast<int>(format);
  }
  // 29 February is a real date in leap years, 2000 among them, and not in 2100.
  struct LeapDay {
    int year;
    bool real;
  };
  for (const LeapDay leap : {LeapDay{2000, true}, LeapDay{2024, true}, LeapDay{2100, false}}) {
    TTraceFormatter formatter(TraceFormat::Gpx);
    std::string out;
    EXPECT_EQ(formatter.Format(with(leap.year, 2, 29, 18000), out), leap.real) << leap.year;
  }
  // On the 180th meridian (x negative, y 0): one point, written at -180.
  TraceRecord antimeridian = SampleRecord(18000, -6378137, 0, 0);
  for (TraceFormat format : {TraceFormat::Gpx, TraceFormat::Kml}) {
    TTraceFormatter formatter(format);
    std::string out;
    formatter.Begin(out);
    EXPECT_TRUE(formatter.Format(antimeridian, out));
    formatter.End(out);
    const size_t at = out.find("180.0000000");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_EQ(out[at - 1], '-') << out;
    EXPECT_EQ(out.find("180.0000000", at + 1), std::string::npos) << out;
    EXPECT_EQ(out.find("<LineString>"), std::string::npos) << out;
  }
}

}  // namespace
}  // namespace vetra
