// The gpsd protocol's TPV and SKY objects made from epochs: every value the epoch has, in gpsd's
// names and units; nothing the epoch lacks; one TPV and one SKY per epoch.
#include "share/gpsd_reports.h"

#include <gtest/gtest.h>

#include "share_test_support.h"

namespace vetra::testing {
namespace {

TEST(GpsdReports, TpvCarriesEveryValueOfTheEpochInGpsdNamesAndUnits) {
  const GpsdJson tpv = TpvReport(WholeEpoch(), "/dev/ttyUSB0");
  const GpsdJson expected = GpsdJson::parse(R"({"class":"TPV","device":"/dev/ttyUSB0","status":2,
      "mode":3,"time":"2024-05-01T12:00:01.250Z","ept":0.005,"lat":0,"lon":0,"altHAE":-4.8,
      "altMSL":12.3,"alt":12.3,"epx":2.1,"epy":2.4,"epv":5.3,"track":93.1,"speed":9.9997,
      "climb":0.2,"geoidSep":-17.1,"eph":3.2})");
  std::vector<std::string> keys, expectedKeys;
  for (const auto& [key, value] : tpv.items()) keys.push_back(key);
  for (const auto& [key, value] : expected.items()) expectedKeys.push_back(key);
  EXPECT_EQ(keys, expectedKeys);  // gpsd's order, "class" first
  for (const auto& [key, value] : expected.items()) {
    if (key == "lat" || key == "lon") continue;
    EXPECT_EQ(tpv[key], value) << key;
  }
  // The receiver's own digits: seven decimals of a minute are 0.2 mm.
  EXPECT_DOUBLE_EQ(tpv["lat"].get<double>(), 49 + 16.9620123 / 60);
  EXPECT_DOUBLE_EQ(tpv["lon"].get<double>(), -(123 + 7.2420456 / 60));
}

TEST(GpsdReports, ValuesTheEpochLacksAreLeftOutNeverZero) {
  struct Row {
    const char* what;
    void (*change)(Epoch&);
    int mode;
    std::vector<const char*> present;
    std::vector<const char*> absent;
  };
  const Row rows[] = {
      {"no fix",
       [](Epoch& e) {
         e.mode = FixMode::None;
         e.quality = FixQuality::Invalid;
       },
       1,
       {"time"},
       {"status", "lat", "lon", "altMSL", "alt", "speed", "eph", "epv"}},
      {"a 2D fix has no heights",
       [](Epoch& e) { e.mode = FixMode::TwoD; },
       2,
       {"lat", "lon", "speed", "eph"},
       {"altHAE", "altMSL", "alt", "climb", "epv"}},
      {"no geoid separation, no altHAE",
       [](Epoch& e) { e.geoidSeparationM = kNoValue; },
       3,
       {"altMSL", "alt"},
       {"altHAE", "geoidSep"}},
      {"no date yet, no time", [](Epoch& e) { e.date.reset(); }, 3, {"lat"}, {"time"}},
      {"no error estimates, no motion",
       [](Epoch& e) {
         e.eph = e.epv = e.epx = e.epy = e.ept = kNoValue;
         e.speedMs = e.trackDeg = e.climbMs = kNoValue;
       },
       3,
       {"altMSL"},
       {"eph", "epv", "epx", "epy", "ept", "speed", "track", "climb"}},
      {"a plain fix has no status",
       [](Epoch& e) { e.quality = FixQuality::Autonomous; },
       3,
       {"lat"},
       {"status"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Epoch epoch = WholeEpoch();
    row.change(epoch);
    const GpsdJson tpv = TpvReport(epoch, "d");
    EXPECT_EQ(tpv["mode"], row.mode);
    for (const char* key : row.present) EXPECT_TRUE(tpv.contains(key)) << key;
    for (const char* key : row.absent) EXPECT_FALSE(tpv.contains(key)) << key;
  }
  Epoch bare = WholeEpoch();
  bare.hdop = bare.vdop = bare.pdop = bare.xdop = bare.ydop = bare.tdop = bare.gdop = kNoValue;
  const GpsdJson sky = SkyReport(bare, "d");
  for (const char* key : {"hdop", "vdop", "pdop", "xdop", "ydop", "tdop", "gdop"}) {
    EXPECT_FALSE(sky.contains(key)) << key;
  }
  EXPECT_FALSE(sky["satellites"][1].contains("ss"));  // not tracked
}

TEST(GpsdReports, SkyListsEverySatelliteInViewWithItsSystem) {
  Epoch epoch = WholeEpoch();
  epoch.satellites.clear();
  for (int svid = 1; svid <= 12; ++svid) {
    epoch.satellites.push_back(Satellite(GnssSystem::Gps, svid, svid, 30 + svid, svid <= 8));
  }
  for (int svid = 1; svid <= 6; ++svid) {
    epoch.satellites.push_back(Satellite(GnssSystem::Glonass, svid, 64 + svid, 35, svid <= 3));
  }
  EpochSatellite galileo = Satellite(GnssSystem::Galileo, 11, 311, 41.5, true);
  galileo.signalId = 7;
  epoch.satellites.push_back(galileo);
  const GpsdJson sky = SkyReport(epoch, "/dev/ttyUSB0");
  EXPECT_EQ(sky["nSat"], 19);
  EXPECT_EQ(sky["uSat"], 12);
  for (const char* dop : {"hdop", "vdop", "pdop", "xdop", "ydop", "tdop", "gdop"}) {
    EXPECT_TRUE(sky.contains(dop)) << dop;
  }
  EXPECT_EQ(sky["gdop"], 1.87);
  ASSERT_EQ(sky["satellites"].size(), 19u);
  EXPECT_EQ(sky["satellites"][0], GpsdJson::parse(R"({"PRN":1,"el":11,"az":101,"ss":31,
      "used":true,"gnssid":0,"svid":1})"));
  EXPECT_EQ(sky["satellites"][13]["PRN"], 66);
  EXPECT_EQ(sky["satellites"][13]["gnssid"], 6);
  EXPECT_EQ(sky["satellites"][18], GpsdJson::parse(R"({"PRN":311,"el":21,"az":111,"ss":41.5,
      "used":true,"gnssid":2,"svid":11,"sigid":7})"));
}

TEST(GpsdReportMaker, GivesOneTpvAndOneSkyPerEpochAndKeepsTheLastForAPoll) {
  GpsdReportMaker maker("d");
  Epoch first = WholeEpoch();
  Epoch second = WholeEpoch();
  second.timeOfDayMs += 1000;
  second.satellites.clear();
  second.hasSky = false;  // no GSV this epoch: the last view stays
  const SharedPass shared = maker.Take({first, second}, {"$GPGGA,1*00", "$GPRMC,2*00"});
  EXPECT_EQ(shared.sentences, (std::vector<std::string>{"$GPGGA,1*00", "$GPRMC,2*00"}));
  ASSERT_EQ(shared.reports.size(), 4u);
  const char* classes[] = {"TPV", "SKY", "TPV", "SKY"};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(GpsdJson::parse(shared.reports[i])["class"], classes[i]);
  EXPECT_EQ(GpsdJson::parse(shared.reports[3])["satellites"].size(), 2u);
  ASSERT_TRUE(maker.lastTpv() && maker.lastSky());
  EXPECT_EQ((*maker.lastTpv())["time"], "2024-05-01T12:00:02.250Z");
  EXPECT_TRUE(maker.seenData());
  maker.Forget();
  EXPECT_FALSE(maker.lastTpv() || maker.lastSky());
}

}  // namespace
}  // namespace vetra::testing
