// The NMEA 0183 reader sentence by sentence (what it reads, drops and counts), the satellite
// numbering across systems, and the DOPs of the geometry.
#include "epoch/nmea_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "epoch/dop_geometry.h"
#include "epoch/satellite_ids.h"
#include "epoch_test_support.h"

namespace vetra {
namespace {

std::string Text(const std::string& body) {
  std::string s = test::Sentence(body);
  return s.substr(0, s.size() - 2);  // without the line end
}

struct OutcomeCase {
  const char* what;
  std::string text;
  ReadOutcome outcome;
};

TEST(NmeaReader, ReadsChecksOrDropsEachSentence) {
  std::string lower = Text("GPGLL,4916.45,N,12311.12,W,225444,A");
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  lower.replace(1, lower.find(',') - 1, "GPGLL");  // the address stays upper case
  std::string bad = Text("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
  bad[8] = '9';
  const std::vector<OutcomeCase> cases = {
      {"checksum", Text("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
       ReadOutcome::Read},
      {"no checksum", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
       ReadOutcome::Read},
      {"any talker", Text("INGGA,194104,4426.1138,N,07140.5536,W,2,10,0.9,267.9,M,,,,"),
       ReadOutcome::Read},
      {"bad checksum", bad, ReadOutcome::ChecksumError},
      {"one checksum digit", "$GPGSV,3,3,11,25,20,108,00,27,08,281,00,28,17,339,39,,,,*7",
       ReadOutcome::Malformed},
      {"cut off", "$GPRMC,000346.03,A,4808", ReadOutcome::Malformed},
      {"NUL", std::string("$GPRMC,000346.03,A,4808\0\0", 25), ReadOutcome::Malformed},
      {"over 120 characters", "$GPTXT," + std::string(114, 'a'), ReadOutcome::Malformed},
      {"120 characters", "$GPTXT," + std::string(113, 'a'), ReadOutcome::Other},
      {"proprietary", Text("PGRME,9.1,M,15.0,M,12.0,M"), ReadOutcome::Other},
      {"another kind", Text("GPRMB,A,,,,,,,,,,,,V"), ReadOutcome::Other},
      {"no address", "$,1,2", ReadOutcome::Malformed},
  };
  for (const OutcomeCase& c : cases) {
    NmeaSentence s;
    EXPECT_EQ(ReadNmeaSentence(c.text, s), c.outcome) << c.what;
  }
}

TEST(NmeaReader, FieldsOfEachKind) {
  NmeaSentence s;
  ASSERT_EQ(ReadNmeaSentence(Text("GPGLL,4916.45,N,12311.12,W,225444.5,A,A"), s),
            ReadOutcome::Read);
  const auto& gll = std::get<GllSentence>(s.value);
  EXPECT_EQ(gll.timeMs, (22 * 3600 + 54 * 60 + 44) * 1000 + 500);  // the fifth field
  EXPECT_DOUBLE_EQ(gll.latitudeDeg, 49 + 16.45 / 60);
  EXPECT_DOUBLE_EQ(gll.longitudeDeg, -(123 + 11.12 / 60));

  ASSERT_EQ(ReadNmeaSentence(Text("GNGSA,A,3,80,71,73,79,69,,,,,,,,1.83,1.09,1.47,2"), s),
            ReadOutcome::Read);
  const auto& gsa = std::get<GsaSentence>(s.value);
  EXPECT_EQ(gsa.systemId, 2);
  EXPECT_EQ(gsa.prnCount, 5);
  EXPECT_DOUBLE_EQ(gsa.vdop, 1.47);
  // Room for 24 satellites: the DOPs are the last three fields.
  ASSERT_EQ(ReadNmeaSentence(Text("GPGSA,A,3,23,13,07,25,,,,,,,,,,,,,,,,,,,,,09.2,07.2,05.7"), s),
            ReadOutcome::Read);
  EXPECT_DOUBLE_EQ(std::get<GsaSentence>(s.value).pdop, 9.2);
  EXPECT_EQ(std::get<GsaSentence>(s.value).systemId, -1);

  ASSERT_EQ(ReadNmeaSentence(Text("GPGSV,3,1,12,05,06,110,19,10,24,284,34,13,37,124,,15,63,083,"
                                  "11,16,11,248,10,1"),
                             s),
            ReadOutcome::Read);
  const auto& gsv = std::get<GsvSentence>(s.value);
  EXPECT_EQ(gsv.satelliteCount, 5);
  EXPECT_EQ(gsv.signalId, 1);
  EXPECT_TRUE(std::isnan(gsv.satellites[2].cn0DbHz));
  EXPECT_DOUBLE_EQ(gsv.satellites[4].azimuthDeg, 248);

  ASSERT_EQ(ReadNmeaSentence(Text("GPVTG,054.7,034.4,005.5,010.2"), s), ReadOutcome::Read);
  EXPECT_NEAR(std::get<VtgSentence>(s.value).speedMs, 5.5 * 1852 / 3600, 1e-12);

  ASSERT_EQ(ReadNmeaSentence(Text("GPZDA,201530.00,04,07,2002,00,00"), s), ReadOutcome::Read);
  EXPECT_EQ(std::get<ZdaSentence>(s.value).date, (UtcDate{2002, 7, 4}));

  ASSERT_EQ(ReadNmeaSentence(Text("GPGST,172814.0,0.006,0.023,0.020,273.6,0.023,0.020,0.031"), s),
            ReadOutcome::Read);
  EXPECT_DOUBLE_EQ(std::get<GstSentence>(s.value).altitudeSigmaM, 0.031);
}

TEST(SatelliteIds, GpsdNumberingAcrossSystems) {
  struct Case {
    int number;
    std::optional<GnssSystem> talker;
    SatelliteId id;
  };
  const std::vector<Case> cases = {
      {7, GnssSystem::Gps, {GnssSystem::Gps, 7, 7}},
      {33, std::nullopt, {GnssSystem::Sbas, 120, 33}},
      {131, GnssSystem::Gps, {GnssSystem::Sbas, 131, 131}},
      {67, std::nullopt, {GnssSystem::Glonass, 3, 67}},
      {3, GnssSystem::Glonass, {GnssSystem::Glonass, 3, 67}},
      {12, GnssSystem::Galileo, {GnssSystem::Galileo, 12, 312}},
      {13, GnssSystem::Beidou, {GnssSystem::Beidou, 13, 413}},
      {201, GnssSystem::Beidou, {GnssSystem::Beidou, 1, 401}},
      {201, std::nullopt, {GnssSystem::Beidou, 1, 401}},
      {193, std::nullopt, {GnssSystem::Qzss, 1, 193}},
      {2, GnssSystem::Qzss, {GnssSystem::Qzss, 2, 194}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SatelliteFromNmea(c.number, c.talker), c.id) << c.number;
  }
  EXPECT_FALSE(SatelliteFromNmea(0, std::nullopt));
  EXPECT_FALSE(SatelliteFromNmea(99, std::nullopt));
}

EpochSatellite Used(int svid, double el, double az) {
  EpochSatellite s;
  s.svid = svid;
  s.elevationDeg = el;
  s.azimuthDeg = az;
  s.used = true;
  return s;
}

TEST(DopGeometry, AsGpsdComputesThem) {
  // navika-100-fix.log, 22:32:51: gpsd's SKY gives xdop 2.15, ydop 2.18, tdop 2.19, gdop 4.60.
  std::vector<EpochSatellite> sky = {Used(30, 61, 93), Used(7, 32, 111), Used(11, 24, 68),
                                     Used(19, 22, 197)};
  const auto dop = DopFromGeometry(sky);
  ASSERT_TRUE(dop);
  EXPECT_NEAR(dop->xdop, 2.15, 0.005);
  EXPECT_NEAR(dop->ydop, 2.18, 0.005);
  EXPECT_NEAR(dop->tdop, 2.19, 0.005);
  EXPECT_NEAR(dop->gdop, 4.60, 0.005);
  sky.push_back(sky[0]);  // a second signal of a satellite counts once
  EXPECT_NEAR(DopFromGeometry(sky)->gdop, 4.60, 0.005);
  sky.resize(3);
  EXPECT_FALSE(DopFromGeometry(sky));
}

}  // namespace
}  // namespace vetra
