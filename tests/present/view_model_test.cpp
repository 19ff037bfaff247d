#include "present/view_model.h"

#include <gtest/gtest.h>

#include <string>

#include "decode/nmea.h"
#include "support/static_log.h"

namespace vetra {
namespace {

TNavRecord RecordWithSatellite(int prn, int elevation, int azimuth, int used, int fixMode) {
  TNavRecord r{};
  r.fixMode = fixMode;
  r.satellitesInView = 1;
  r.prnList[0] = prn;
  r.satellites[prn - 1].elevation = elevation;
  r.satellites[prn - 1].azimuth = azimuth;
  r.satellites[prn - 1].used = used;
  r.channels[0].cn0 = 40;
  return r;
}

struct CoordinateCase {
  float degrees;
  char hemisphere;
  int format;
  const char* text;
};

TEST(FormatCoordinate, ThreeFormats) {
  const CoordinateCase cases[] = {
      {24.5f, 'N', 0, "24.500000 N"},    {24.5f, 'N', 1, "2430.0000 N"},
      {24.5f, 'N', 2, "24'30''0.0 N"},   {121.25f, 'E', 0, "121.250000 E"},
      {121.25f, 'E', 1, "12115.0000 E"}, {121.25f, 'E', 2, "121'15''0.0 E"},
      {0.5f, 'S', 1, "  30.0000 S"},  // the width of 9 pads small values
      {1.0125f, 'W', 2, "1'00''45.0 W"}, {0.0f, 'N', 2, "0'00''0.0 N"},
      {24.5f, 'N', 7, "24.500000 N"},  // an out-of-range format shows decimal degrees
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatCoordinate(c.degrees, c.hemisphere, c.format), c.text)
        << c.degrees << " format " << c.format;
  }
}

// Rounded to the display's resolution before the split: a whole minute never shows as 60
// seconds or as ...9999 minutes, whether the value is the record's float or the sentence's digits.
TEST(FormatCoordinate, WholeMinutesStayWhole) {
  EXPECT_EQ(FormatCoordinate(49.283333f, 'N', 2), "49'17''0.0 N");  // the float is 49.2833328
  EXPECT_EQ(FormatCoordinate(49.0 + 16.99999 / 60, 'N', 1), "4917.0000 N");
  EXPECT_EQ(FormatCoordinate(49.0 + 59.99999 / 60, 'N', 2), "50'00''0.0 N");
  EXPECT_EQ(FormatCoordinate(179.9999999, 'E', 0), "180.000000 E");
}

// The View page shows the sentence's own digits, correctly rounded at its resolution, where the
// record's float would show 4906.9999 for 4907.0000 and lose the seventh decimal.
TEST(PositionView, PositionComesFromTheSentenceDigits) {
  TNmea nmea;
  const std::string gga = test::NmeaSentence(
      "GPGGA,120000.000,4907.0000000,N,12307.1234567,W,1,08,0.9,55.2,M,-16.8,M,,");
  int used = 0;
  while (used < static_cast<int>(gga.size())) {
    used += nmea.Feed(reinterpret_cast<const uint8_t*>(gga.data()) + used,
                      static_cast<int>(gga.size()) - used)
                .consumed;
  }
  const TNavRecord& r = nmea.record();
  EXPECT_EQ(MakePositionView(r, 0, 12).latitude, "49.116667 N");
  EXPECT_EQ(MakePositionView(r, 1, 12).latitude, "4907.0000 N");
  EXPECT_EQ(MakePositionView(r, 2, 12).latitude, "49'07''0.0 N");
  EXPECT_EQ(MakePositionView(r, 0, 12).longitude, "123.118724 W");  // 123.11872428
  EXPECT_EQ(MakePositionView(r, 1, 12).longitude, "12307.1235 W");
  EXPECT_EQ(MakePositionView(r, 2, 12).longitude, "123'07''7.4 W");  // 0.1234567' = 7.407"
}

TEST(PositionView, TextsOfTheRecord) {
  TNavRecord r{};
  r.year = 2024;
  r.month = 3;
  r.day = 9;
  r.hour = 7;
  r.minute = 5;
  r.second = 0;
  r.latitudeDeg = 24.5f;
  r.latitudeHemisphere = 'N';
  r.longitudeDeg = 121.25f;
  r.longitudeHemisphere = 'E';
  r.altitudeM = -12;
  r.pdop = 1.25f;
  r.hdop = 12.34f;
  r.satellitesInView = 9;
  r.satellitesUsed = 7;
  r.speedKmh = -1;
  r.headingDeg = 123;
  const PositionView v = MakePositionView(r, 0, 12);
  EXPECT_EQ(v.time, "2024/3/9\n07:05:00 UTC");
  EXPECT_EQ(v.latitude, "24.500000 N");
  EXPECT_EQ(v.longitude, "121.250000 E");
  EXPECT_EQ(v.altitude, "-12");
  // A fix whose sentence left the altitude empty.
  r.exact.latitudeDeg = 24.5;
  r.exact.longitudeDeg = 121.25;
  r.altitudeM = 0;
  EXPECT_EQ(MakePositionView(r, 0, 12).altitude, kMissingValueText);
  r.exact.altitudeMslM = 0.4;
  EXPECT_EQ(MakePositionView(r, 0, 12).altitude, "0");
  EXPECT_EQ(v.pdop, " 1.2");  // %4.1f: 1.25f is stored just below 1.25
  EXPECT_EQ(v.hdop, "12.3");
  EXPECT_EQ(v.inView, "9");
  EXPECT_EQ(v.used, "7");
  EXPECT_EQ(v.speed, "-1");
  EXPECT_EQ(v.heading, "N 123");
  EXPECT_EQ(v.cn0AxisMax, 12);
  EXPECT_EQ(MakePositionView(r, 1, 16).cn0AxisMax, 16);
  EXPECT_EQ(MakePositionView(r, 1, 16).latitude, "2430.0000 N");
}

TEST(PositionView, FixTextAndColour) {
  struct Case {
    int mode;
    std::optional<std::string> text;
    Rgb colour;
  };
  const Case cases[] = {
      {0, "No fix", kGrey}, {1, "2D", kGreen},     {2, "3D", kRed},
      {3, "3D+", kRed},     {4, std::nullopt, {}}, {-1, std::nullopt, {}},
  };
  for (const auto& c : cases) {
    TNavRecord r{};
    r.fixMode = c.mode;
    const PositionView v = MakePositionView(r, 0, 12);
    EXPECT_EQ(v.fixText, c.text) << c.mode;
    if (c.text) {
      EXPECT_EQ(v.fixColour, c.colour) << c.mode;
    }
  }
}

TEST(PositionView, SkyGeometry) {
  struct Case {
    int elevation, azimuth, x, y;
  };
  const Case cases[] = {
      {90, 0, 0, 0},     // zenith at the centre
      {90, 123, 0, 0},   //
      {0, 90, 90, 0},    // east on the horizon
      {0, 270, -89, 0},  // west: cos of the short pi is just above -1
      {0, 0, 0, 89},     // the short pi truncates north to 89
      {0, 180, 0, -89},  //
      {45, 45, 31, 31},  // 45 * cos(45 deg) = 31.8 -> 31 (toward zero)
      {45, 225, -31, -31},
      {30, 300, -51, 29},  // angle -210 deg: cos -0.866 * 60 = -51.96, sin 0.5 * 60 = 30 - tiny
  };
  for (const auto& c : cases) {
    const TNavRecord r = RecordWithSatellite(5, c.elevation, c.azimuth, 0, 0);
    const PositionView v = MakePositionView(r, 0, 12);
    ASSERT_EQ(v.points.size(), 1u);
    EXPECT_EQ(v.points[0].x, c.x) << c.elevation << "/" << c.azimuth;
    EXPECT_EQ(v.points[0].y, c.y) << c.elevation << "/" << c.azimuth;
    EXPECT_EQ(v.points[0].label, "5");
  }
}

TEST(PositionView, SatelliteClassesByFixModeAndUse) {
  struct Case {
    int fixMode, used;
    Rgb colour;
    bool fixed;
  };
  const Case cases[] = {
      {0, 1, kWhite, false}, {1, 1, kBlue, true},   {1, 0, kWhite, false}, {2, 1, kGreen, true},
      {3, 1, kGreen, true},  {3, 0, kWhite, false}, {2, 0, kWhite, false}, {4, 1, kWhite, false},
  };
  for (const auto& c : cases) {
    const PositionView v =
        MakePositionView(RecordWithSatellite(17, 40, 10, c.used, c.fixMode), 0, 12);
    ASSERT_EQ(v.points.size(), 1u);
    ASSERT_EQ(v.bars.size(), 1u);
    EXPECT_EQ(v.points[0].colour, c.colour) << c.fixMode << " used " << c.used;
    EXPECT_EQ(v.points[0].fixed, c.fixed) << c.fixMode << " used " << c.used;
    EXPECT_EQ(v.bars[0].colour, c.colour);
    EXPECT_EQ(v.bars[0].label, "17");
    EXPECT_EQ(v.bars[0].value, 40);
  }
}

TEST(PositionView, BarsComeFromTheChannelAtTheSamePositionAndBadPrnsAreSkipped) {
  TNavRecord r{};
  r.satellitesInView = 5;
  const int prns[] = {3, 0, 65, 64, -2};
  for (int i = 0; i < 5; ++i) {
    r.prnList[i] = prns[i];
    r.channels[i].cn0 = 30 + i;
  }
  r.satellites[2].signal = 99;  // the satellite entry's own value is not the bar
  const PositionView v = MakePositionView(r, 0, 12);
  ASSERT_EQ(v.bars.size(), 2u);
  EXPECT_EQ(v.bars[0].label, "3");
  EXPECT_EQ(v.bars[0].value, 30);
  EXPECT_EQ(v.bars[1].label, "64");
  EXPECT_EQ(v.bars[1].value, 33);  // channel entry 3, not a compacted index
  EXPECT_EQ(v.bigSnr, "33");
}

TEST(PositionView, AtMostSixteenPositionsWhateverTheCountSays) {
  TNavRecord r{};
  r.satellitesInView = 40;
  for (int i = 0; i < kChannelCount; ++i) {
    r.prnList[i] = i + 1;
    r.channels[i].cn0 = i;
  }
  const PositionView v = MakePositionView(r, 0, 16);
  EXPECT_EQ(v.points.size(), 16u);
  EXPECT_EQ(v.bigSnr, "15");

  r.satellitesInView = -3;
  EXPECT_TRUE(MakePositionView(r, 0, 16).points.empty());
}

TEST(PositionView, NoSatellitesEmptiesChartsAndBigSnr) {
  TNavRecord r{};
  r.prnList[0] = 7;
  r.channels[0].cn0 = 45;
  const PositionView v = MakePositionView(r, 0, 12);
  EXPECT_TRUE(v.points.empty());
  EXPECT_TRUE(v.bars.empty());
  EXPECT_EQ(v.bigSnr, "");

  // Satellites whose signal is 0 leave the big label empty too.
  r.satellitesInView = 1;
  r.channels[0].cn0 = 0;
  EXPECT_EQ(MakePositionView(r, 0, 12).bigSnr, "");
}

TEST(HealthText, ByChipAccessLevelAndCode) {
  struct Case {
    int code;
    uint16_t status;
    bool secondChip;
    int level;
    const char* text;
  };
  const Case cases[] = {
      {3, 0, false, 16, "3"},         // first chip: plain number
      {255, 0, false, 16, "255"},     //
      {3, 0, true, 8, "3"},           // below 16: plain number
      {3, 0, true, 16, " 3 --WAAS"},  //
      {255, 0, true, 16, ""},         //
      {0, 0x0001, true, 16, " 0 --GOOD"},
      {0, 0x00FE, true, 16, " 0 --GOOD"},
      {0, 0x00FF, true, 16, "GOOD"},
      {0, 0x0100, true, 16, "GOOD"},
      {1, 0, true, 16, " 1 --BAD SVID"},
      {28, 0, true, 16, "28 --DPR OUT OF AVG."},
      {31, 0, true, 16, "31 --31-"},
      {32, 0, true, 16, "32 --"},  // no status text: number and dashes only
      {254, 0, true, 16, "254 --"},
      {1, 0, true, -1, "1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HealthText(c.code, c.status, c.secondChip, c.level), c.text)
        << c.code << " chip2=" << c.secondChip << " level " << c.level;
  }
}

TEST(MeasurementView, RowCasesAndClockTexts) {
  TNavRecord r{};
  r.clockValue = 65535;
  r.measurementUtc = 123456.5;
  r.clockBias = -0.000123;
  r.timeBias = 0.1;
  r.frequencyBias = 0.1f;
  r.satellitesInView = 3;
  r.channels[0] = TChannel{0x1A2, 44, 12, 20000123, -456, -1234, 3};
  r.satellites[11].elevation = 57;
  r.satellites[11].azimuth = 301;
  r.channels[1].prn = 0;   // within the count but no PRN: emptied, no stale values
  r.channels[2].prn = 65;  // the same
  r.channels[3].prn = 9;   // beyond the count: emptied

  const MeasurementView v = MakeMeasurementView(r, true, 16);
  EXPECT_EQ(v.clock, "65535");
  EXPECT_EQ(v.utc, "123456.5");
  EXPECT_EQ(v.clockBias, "-0.000123");
  EXPECT_EQ(v.timeBias, "0.1");
  EXPECT_EQ(v.frequencyBias, "0.100000001490116");  // the single-precision value, 15 digits
  ASSERT_EQ(v.rows.size(), 16u);
  const std::array<std::string, 9> first = {"12", "1A2", "20000123", "-456",     "-1234",
                                            "44", "57",  "301",      " 3 --WAAS"};
  EXPECT_EQ(v.rows[0], first);
  const std::array<std::string, 9> empty{};
  for (int row = 1; row < 16; ++row) EXPECT_EQ(v.rows[row], empty) << row;

  const MeasurementView firstChip = MakeMeasurementView(r, false, 16);
  EXPECT_EQ(firstChip.rows.size(), 12u);
  EXPECT_EQ(firstChip.rows[0][8], "3");
}

TEST(MeasurementVisibility, BinaryShowsNmeaHidesOnlyOnceBinaryHasGoneQuiet) {
  MeasurementVisibility visibility;
  EXPECT_FALSE(visibility.Shown(false, 100));  // NMEA only
  EXPECT_TRUE(visibility.Shown(true, 101));
  EXPECT_TRUE(visibility.Shown(false, 101));  // both outputs on: NMEA between binary records
  EXPECT_TRUE(visibility.Shown(false, 103));
  EXPECT_FALSE(visibility.Shown(false, 104));  // binary quiet for 3 s
  EXPECT_TRUE(visibility.Shown(true, 104));
  EXPECT_FALSE(visibility.Shown(false, 90));  // a clock set back
}

TEST(GeneralFloatText, ShortestUpToFifteenDigits) {
  EXPECT_EQ(GeneralFloatText(0), "0");
  EXPECT_EQ(GeneralFloatText(1.5), "1.5");
  EXPECT_EQ(GeneralFloatText(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(GeneralFloatText(-2.5e-7), "-2.5e-07");
  EXPECT_EQ(GeneralFloatText(123456789012345678.0), "1.23456789012346e+17");
}

}  // namespace
}  // namespace vetra
