// The gpsd protocol's TPV and SKY objects made from the receiver's output: full precision, gpsd's
// names and units, nothing that the receiver did not give, and which passes are updates.
#include "share/gpsd_reports.h"

#include <gtest/gtest.h>

#include <cmath>

#include "share_test_support.h"

namespace vetra::testing {
namespace {

constexpr std::string_view kRmc =
    "GPRMC,120001.250,A,4916.9620123,N,12307.2420456,W,19.438,93.1,010524,,,A";
constexpr std::string_view kGga3d =
    "GPGGA,120001.250,4916.9620123,N,12307.2420456,W,1,07,0.98,12.3,M,-17.1,M,,";

GpsdJson Parsed(const std::optional<std::string>& line) {
  EXPECT_TRUE(line.has_value());
  return line ? GpsdJson::parse(*line) : GpsdJson{};
}

TEST(GpsdReports, TpvCarriesTheSentencesOwnDigitsInGpsdUnits) {
  TNmea nmea;
  GpsdReportMaker maker("/dev/ttyUSB0");
  const GpsdJson tpv = Parsed(maker.Take(PassOf(nmea, {kRmc, kGga3d})).tpv);
  EXPECT_EQ(tpv["class"], "TPV");
  EXPECT_EQ(tpv["device"], "/dev/ttyUSB0");
  EXPECT_EQ(tpv["mode"], 3);
  EXPECT_EQ(tpv["time"], "2024-05-01T12:00:01.250Z");
  // Seven decimals of a minute are 0.2 mm: the text keeps them, far inside 1 cm.
  EXPECT_NEAR(tpv["lat"].get<double>(), 49 + 16.9620123 / 60, 1e-10);
  EXPECT_NEAR(tpv["lon"].get<double>(), -(123 + 7.2420456 / 60), 1e-10);
  EXPECT_EQ(tpv["altMSL"], 12.3);
  EXPECT_EQ(tpv["altHAE"], -4.8);
  EXPECT_NEAR(tpv["speed"].get<double>(), 19.438 * 1852 / 3600, 1e-4);  // knots -> m/s
  EXPECT_EQ(tpv["track"], 93.1);
}

TEST(GpsdReports, ValuesTheReceiverDidNotGiveAreLeftOut) {
  struct Row {
    const char* what;
    std::vector<std::string_view> bodies;
    int mode;
    std::vector<const char*> present;
    std::vector<const char*> absent;
  };
  const Row rows[] = {
      {"no fix", {"GPGGA,120001.000,,,,,0,00,,,M,,M,,"}, 1, {}, {"lat", "lon", "altMSL", "time"}},
      {"a 2D fix has no heights",
       {"GPGGA,120001.000,4916.9620,N,12307.2420,W,1,03,1.5,12.3,M,-17.1,M,,"},
       2,
       {"lat", "lon"},
       {"altMSL", "altHAE", "speed"}},
      {"no geoid separation, no altHAE",
       {"GPGGA,120001.000,4916.9620,N,12307.2420,W,1,07,1.5,12.3,M,,M,,"},
       3,
       {"altMSL"},
       {"altHAE"}},
      {"no date yet, no time", {kGga3d}, 3, {"lat"}, {"time"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TNmea nmea;
    GpsdReportMaker maker("d");
    PassValue pass;
    for (const std::string_view body : row.bodies) {
      const PassValue one = PassOf(nmea, {body});
      pass.lines.insert(pass.lines.end(), one.lines.begin(), one.lines.end());
      pass.navigation = one.navigation;
    }
    const GpsdJson tpv = Parsed(maker.Take(pass).tpv);
    EXPECT_EQ(tpv["mode"], row.mode);
    for (const char* key : row.present) EXPECT_TRUE(tpv.contains(key)) << key;
    for (const char* key : row.absent) EXPECT_FALSE(tpv.contains(key)) << key;
  }
}

TEST(GpsdReports, ATpvCarriesNoValueOfAnotherSecond) {
  TNmea nmea;
  GpsdReportMaker maker("d");
  maker.Take(PassOf(nmea, {kGga3d, kRmc}));
  // The next epoch's GGA comes in a pass of its own: its TPV has no speed of the second before.
  const GpsdJson gga = Parsed(
      maker
          .Take(PassOf(
              nmea, {"GPGGA,120002.250,4916.9630000,N,12307.2420456,W,1,07,0.98,12.4,M,-17.1,M,,"}))
          .tpv);
  EXPECT_EQ(gga["altMSL"], 12.4);
  EXPECT_FALSE(gga.contains("speed") || gga.contains("track"));
  const GpsdJson rmc = Parsed(
      maker
          .Take(PassOf(nmea,
                       {"GPRMC,120002.250,A,4916.9630000,N,12307.2420456,W,19.0,94.0,010524,,,A"}))
          .tpv);
  EXPECT_EQ(rmc["altMSL"], 12.4);
  EXPECT_EQ(rmc["track"], 94.0);
}

TEST(GpsdReports, SkyFollowsTheLastMessageOfASatelliteGroup) {
  TNmea nmea;
  GpsdReportMaker maker("d");
  EXPECT_FALSE(
      maker
          .Take(PassOf(nmea, {"GPGSA,A,3,03,09,,,,,,,,,,,1.64,0.98,1.31",
                              "GPGSV,2,1,05,03,21,140,31,04,34,036,,09,32,348,32,15,73,243,53"}))
          .sky);
  const GpsdJson sky = Parsed(maker.Take(PassOf(nmea, {"GPGSV,2,2,05,27,05,010,20"})).sky);
  EXPECT_EQ(sky["hdop"], 0.98);
  EXPECT_EQ(sky["vdop"], 1.31);
  EXPECT_EQ(sky["pdop"], 1.64);
  EXPECT_EQ(sky["nSat"], 5);
  EXPECT_EQ(sky["uSat"], 2);
  const GpsdJson& s = sky["satellites"];
  ASSERT_EQ(s.size(), 5u);
  EXPECT_EQ(s[0], GpsdJson::parse(R"({"PRN":3,"el":21,"az":140,"ss":31,"used":true})"));
  EXPECT_EQ(s[1], GpsdJson::parse(R"({"PRN":4,"el":34,"az":36,"used":false})"));  // not tracked
  EXPECT_EQ(s[4]["ss"], 20);
}

TEST(GpsdReports, ABinarySkyPairsEachSatelliteWithItsChannelsSignal) {
  TNavRecord r{};
  r.satellitesInView = 2;
  r.prnList[0] = 5;
  r.prnList[1] = 17;  // its channel is 2: channel 1 was empty
  r.satellites[4] = {0, 40, 100, 1, 0};
  r.satellites[16] = {0, 10, 200, 0, 2};
  r.channels[0].cn0 = 45;
  r.channels[2].cn0 = 33;
  const GpsdJson sky = SkyReport(r, DisplaySource::Binary, "d");
  EXPECT_EQ(sky["satellites"][0]["ss"], 45);
  EXPECT_EQ(sky["satellites"][1]["ss"], 33);
}

TEST(GpsdReports, OnlyWholeSentencesArePassedOn) {
  struct Row {
    const char* what;
    EchoedLine line;
    bool passed;
  };
  const std::string gga = Sentence(kGga3d);
  std::string badSum = gga;
  badSum.back() = badSum.back() == '0' ? '1' : '0';
  const Row rows[] = {
      {"checksum matches", {gga, ParserKind::Nmea, 1, {}}, true},
      {"checksum does not match", {badSum, ParserKind::Nmea, 0, {}}, false},
      {"no checksum, decoded",
       {"$GPVTG,093.1,T,,M,19.4,N,36.0,K,A", ParserKind::Nmea, 1, {}},
       true},
      {"cut off by its deadline", {"$GPGGA,1200", ParserKind::Nmea, 0, {}}, false},
      {"a binary frame", {"%%\xF2\xD0\x01", ParserKind::Binary, 1, {}}, false},
      {"bytes outside ASCII", {"$GPTXT,\x01\x02*00", ParserKind::Nmea, 0, {}}, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(!ShareableSentence(row.line).empty(), row.passed) << row.what;
  }
}

}  // namespace
}  // namespace vetra::testing
