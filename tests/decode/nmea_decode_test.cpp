// The decoders of TNmea: what GGA, GSA, GSV, RMC and the proprietary sentence write into the
// record, and the bounds that hold whatever the fields say.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "decode/nmea.h"
#include "tests/decode/nmea_test_support.h"

namespace vetra {
namespace {

using testing::Describe;
using testing::ResultOf;
using testing::WithChecksum;

int Send(TNmea& nmea, const std::string& body) { return ResultOf(nmea, WithChecksum(body)); }

TEST(NmeaGga, TimePositionAltitudeAndFix) {
  TNmea nmea;
  ASSERT_EQ(Send(nmea, "GPGGA,123519.250,4913.5000,N,12130.0000,W,1,08,0.9,545.4,M,46.9,M,,"), 1);
  const TNavRecord& r = nmea.record();
  EXPECT_EQ(r.updated, 1);
  EXPECT_EQ(r.hour, 12);
  EXPECT_EQ(r.minute, 35);
  EXPECT_EQ(r.second, 19);
  EXPECT_FLOAT_EQ(r.latitudeDeg, 49.225f);
  EXPECT_EQ(r.latitudeHemisphere, 'N');
  EXPECT_FLOAT_EQ(r.longitudeDeg, 121.5f);
  EXPECT_EQ(r.longitudeHemisphere, 'W');
  EXPECT_EQ(r.satellitesUsed, 8);
  EXPECT_EQ(r.fixIndicator, 0);
  EXPECT_EQ(r.fixMode, 2);
  EXPECT_EQ(r.altitudeM, 545);
}

// The exact fix keeps the sentence's own digits: seven decimals of a minute are a few millimetres.
TEST(NmeaGga, ExactFixKeepsEveryDigit) {
  TNmea nmea;
  ASSERT_EQ(Send(nmea,
                 "GPGGA,123519.25,4913.1234567,S,12130.7654321,W,1,08,0.9,545.47,M,"
                 "-19.6,M,,"),
            1);
  const TExactFix& e = nmea.record().exact;
  EXPECT_DOUBLE_EQ(e.latitudeDeg, -(49 + 13.1234567 / 60));
  EXPECT_DOUBLE_EQ(e.longitudeDeg, -(121 + 30.7654321 / 60));
  EXPECT_DOUBLE_EQ(e.altitudeMslM, 545.47);
  EXPECT_DOUBLE_EQ(e.geoidSeparationM, -19.6);
  EXPECT_EQ(e.millisecond, 250);
  EXPECT_TRUE(std::isnan(e.speedMs));  // GGA gives no speed

  ASSERT_EQ(Send(nmea, "GPRMC,123520,A,4913.1234567,S,12130.7654321,W,10.5,054.7,120708,,"), 1);
  EXPECT_DOUBLE_EQ(nmea.record().exact.speedMs, 10.5 * 1852 / 3600);
  EXPECT_DOUBLE_EQ(nmea.record().exact.trackDeg, 54.7);
  EXPECT_EQ(nmea.record().exact.millisecond, -1);
}

TEST(NmeaGga, QualityGivesFixIndicatorAndMode) {
  struct Case {
    const char* quality;
    const char* used;
    int fixIndicator;
    int fixMode;
  };
  const Case cases[] = {
      {"0", "08", 5, 0}, {"", "08", 5, 0},  {"1", "03", 0, 1}, {"1", "04", 0, 2},
      {"2", "03", 1, 3}, {"6", "08", 9, 9},  // other qualities leave both as they were
  };
  for (const Case& c : cases) {
    TNmea nmea;
    nmea.record().fixIndicator = 9;
    nmea.record().fixMode = 9;
    ASSERT_EQ(Send(nmea, std::string("GPGGA,000000,0000.0,N,00000.0,E,") + c.quality + "," +
                             c.used + ",1.0,0.0,M,0.0,M,,"),
              1);
    EXPECT_EQ(nmea.record().fixIndicator, c.fixIndicator) << "quality " << c.quality;
    EXPECT_EQ(nmea.record().fixMode, c.fixMode) << "quality " << c.quality << " used " << c.used;
  }
}

// Empty or unreadable position and time fields keep the last values; altitude reads 0.
TEST(NmeaGga, EmptyFieldsKeepThePositionAndTime) {
  TNmea nmea;
  ASSERT_EQ(Send(nmea, "GPGGA,101112,4913.5,S,12130.0,E,1,05,0.9,100.0,M,,,,"), 1);
  ASSERT_EQ(Send(nmea, "GPGGA,,,,,,0,,,,,,,,"), 1);
  const TNavRecord& r = nmea.record();
  EXPECT_EQ(r.hour, 10);
  EXPECT_EQ(r.minute, 11);
  EXPECT_EQ(r.second, 12);
  EXPECT_FLOAT_EQ(r.latitudeDeg, 49.225f);
  EXPECT_EQ(r.latitudeHemisphere, 'S');
  EXPECT_FLOAT_EQ(r.longitudeDeg, 121.5f);
  EXPECT_EQ(r.longitudeHemisphere, 'E');
  EXPECT_EQ(r.altitudeM, 0);
  EXPECT_EQ(r.satellitesUsed, 0);
  EXPECT_EQ(r.fixIndicator, 5);
  // Too short to be a time or a position: kept as well.
  ASSERT_EQ(Send(nmea, "GPGGA,1011,49,N,121,W,0,,,,,,,,"), 1);
  EXPECT_EQ(r.hour, 10);
  EXPECT_FLOAT_EQ(r.latitudeDeg, 49.225f);
  EXPECT_EQ(r.latitudeHemisphere, 'N');
}

TEST(NmeaGga, AngleReading) {
  struct Case {
    const char* latitude;
    const char* longitude;
    double latitudeDeg;
    double longitudeDeg;
  };
  const Case cases[] = {
      {"4913.5000", "12130.0000", 49.225, 121.5},
      {"0000.00000001", "00000.000000019", 1e-8 / 60, 1e-8 / 60},  // the 9th digit is ignored
      {"8959.99999999", "17959.9999999999999999", 89.9999999998, 179.9999999998},
      {"4913", "12130", 49 + 13 / 60.0, 121.5},  // no fraction
      {"4913.5x7", "12130.", 49.225, 121.5},     // the fraction ends at the first non-digit
  };
  for (const Case& c : cases) {
    TNmea nmea;
    ASSERT_EQ(Send(nmea, std::string("GPGGA,000000,") + c.latitude + ",N," + c.longitude +
                             ",E,1,05,,,,,,,"),
              1);
    EXPECT_FLOAT_EQ(nmea.record().latitudeDeg, static_cast<float>(c.latitudeDeg)) << c.latitude;
    EXPECT_FLOAT_EQ(nmea.record().longitudeDeg, static_cast<float>(c.longitudeDeg)) << c.longitude;
  }
}

TEST(NmeaGga, AltitudeWholeMetresWithinItsField) {
  struct Case {
    const char* altitude;
    int metres;
  };
  const Case cases[] = {{"000115.4", 115},  {"-12.9", -12},     {"", 0},
                        {"40000.0", 32767}, {"-99999", -32768}, {"abc", 0}};
  for (const Case& c : cases) {
    TNmea nmea;
    ASSERT_EQ(Send(nmea, std::string("GPGGA,000000,,,,,1,05,1.0,") + c.altitude + ",M,,,,"), 1);
    EXPECT_EQ(nmea.record().altitudeM, c.metres) << c.altitude;
  }
}

// A decimal field (here GGA's satellites used) reads its leading integer within the int range.
TEST(NmeaGga, DecimalFieldReadsItsLeadingInteger) {
  struct Case {
    const char* text;
    int value;
  };
  const Case cases[] = {{"8", 8},
                        {"08", 8},
                        {"123", 123},
                        {"1.5", 1},
                        {"-3", -3},
                        {"+3", 0},
                        {"x1", 0},
                        {"1x", 1},
                        {"", 0},
                        {"0001234", 1234},
                        {"2147483647", 2147483647},
                        {"2147483648", 0},
                        {"-2147483648", -2147483647 - 1}};
  for (const Case& c : cases) {
    TNmea nmea;
    ASSERT_EQ(Send(nmea, std::string("GPGGA,000000,,,,,1,") + c.text + ",1.0,,M,,,,"), 1);
    EXPECT_EQ(nmea.record().satellitesUsed, c.value) << c.text;
  }
}

TEST(NmeaRmc, TimeStatusPositionDateCourseAndSpeed) {
  TNmea nmea;
  ASSERT_EQ(Send(nmea, "GPRMC,225446.00,A,4916.45,N,12311.12,W,10.9,054.7,120708,020.3,E"), 1);
  const TNavRecord& r = nmea.record();
  EXPECT_EQ(r.updated, 1);
  EXPECT_EQ(r.hour, 22);
  EXPECT_EQ(r.minute, 54);
  EXPECT_EQ(r.second, 46);
  EXPECT_EQ(r.fixMode, 1);  // 'A' with fewer than 4 satellites used
  EXPECT_FLOAT_EQ(r.latitudeDeg, static_cast<float>(49 + 16.45 / 60));
  EXPECT_EQ(r.latitudeHemisphere, 'N');
  EXPECT_FLOAT_EQ(r.longitudeDeg, static_cast<float>(123 + 11.12 / 60));
  EXPECT_EQ(r.longitudeHemisphere, 'W');
  EXPECT_EQ(r.day, 12);
  EXPECT_EQ(r.month, 7);
  EXPECT_EQ(r.year, 2008);
  EXPECT_EQ(r.headingDeg, 54);
  EXPECT_EQ(r.speedKmh, 18);  // 10 kn x 1.852 = 18.52
}

TEST(NmeaRmc, SpeedIsWholeKnotsTimes1852Truncated) {
  struct Case {
    const char* knots;
    int kmh;
  };
  const Case cases[] = {{"0.99", 0},        {"1", 1},         {"10.9", 18},     {"100.0", 185},
                        {"-10.9", -18},     {"", 0},          {"99999", 32767}, {"x", 0},
                        {"17692.9", 32765}, {"17693", 32767}, {"17694", 32767}};
  for (const Case& c : cases) {
    TNmea nmea;
    ASSERT_EQ(Send(nmea, std::string("GPRMC,,V,,,,,") + c.knots + ",,,,"), 1);
    EXPECT_EQ(nmea.record().speedKmh, c.kmh) << c.knots;
  }
}

TEST(NmeaRmc, StatusAndSatellitesUsedGiveFixMode) {
  TNmea nmea;
  ASSERT_EQ(Send(nmea, "GPGSA,A,3,01,02,03,04,,,,,,,,,2.0,1.0,1.7"), 1);
  ASSERT_EQ(Send(nmea, "GPRMC,,A,,,,,,,,,"), 1);
  EXPECT_EQ(nmea.record().fixMode, 2);
  ASSERT_EQ(Send(nmea, "GPRMC,,V,,,,,,,,,"), 1);
  EXPECT_EQ(nmea.record().fixMode, 0);
}

// An RMC is accepted whatever its field count; fields it does not have read as empty, never as
// what an earlier sentence left in the store.
TEST(NmeaRmc, ShortSentenceReadsMissingFieldsAsEmpty) {
  TNmea nmea;
  ASSERT_EQ(Send(nmea, "GPRMC,010203,A,,,,,5.0,90.0,311299,,"), 1);
  ASSERT_EQ(Send(nmea, "GPGLL,a,b,c,d,e,f,77.0,88.0,010180"), 1);
  ASSERT_EQ(Send(nmea, "GPRMC,111111"), 1);
  const TNavRecord& r = nmea.record();
  EXPECT_EQ(r.hour, 11);
  EXPECT_EQ(r.fixMode, 0);
  EXPECT_EQ(r.day, 31);  // empty date: kept
  EXPECT_EQ(r.year, 2099);
  EXPECT_EQ(r.headingDeg, 0);
  EXPECT_EQ(r.speedKmh, 0);
}

TEST(NmeaGsa, TwelvePrnFields) {
  TNmea nmea;
  nmea.record().fixIndicator = 0;
  ASSERT_EQ(Send(nmea, "GPGSA,M,3,04,05,,09,12,33,64,0,65,,,,2.5,1.3,2.1"), 1);
  const TNavRecord& r = nmea.record();
  EXPECT_EQ(r.status, 'M');
  EXPECT_EQ(r.fixMode, 2);
  EXPECT_EQ(r.satellitesUsed, 7);  // "0" and empty fields are not counted; 65 is
  EXPECT_FLOAT_EQ(r.pdop, 2.5f);
  EXPECT_FLOAT_EQ(r.hdop, 1.3f);
  EXPECT_FLOAT_EQ(r.vdop, 2.1f);

  // The used-in-fix masks show in the next satellites-in-view group.
  ASSERT_EQ(Send(nmea, "GPGSV,2,1,08,04,10,100,30,06,20,200,31,33,30,300,32,64,40,010,33"), 1);
  ASSERT_EQ(Send(nmea, "GPGSV,2,2,08,01,50,020,34,09,60,030,35,12,70,040,36,32,80,050,37"), 1);
  for (int prn : {4, 33, 64, 9, 12}) EXPECT_EQ(r.satellites[prn - 1].used, 1) << prn;
  for (int prn : {6, 1, 32}) EXPECT_EQ(r.satellites[prn - 1].used, 0) << prn;
}

TEST(NmeaGsa, SixteenPrnFieldsWhenThereAre19OrMore) {
  TNmea nmea;
  ASSERT_EQ(Send(nmea, "GPGSA,A,2,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,3.5,2.5,1.5"), 1);
  const TNavRecord& r = nmea.record();
  EXPECT_EQ(r.satellitesUsed, 16);
  EXPECT_EQ(r.fixMode, 1);
  EXPECT_FLOAT_EQ(r.pdop, 3.5f);
  EXPECT_FLOAT_EQ(r.hdop, 2.5f);
  EXPECT_FLOAT_EQ(r.vdop, 1.5f);
}

TEST(NmeaGsa, DifferentialFixGivesMode3) {
  TNmea nmea;
  ASSERT_EQ(Send(nmea, "GPGGA,000000,,,,,2,05,,,,,,,"), 1);
  ASSERT_EQ(Send(nmea, "GPGSA,A,2,01,02,03,04,05,,,,,,,,,,"), 1);
  EXPECT_EQ(nmea.record().fixMode, 3);
  EXPECT_EQ(nmea.record().pdop, 0);  // empty DOP fields read 0
}

TEST(NmeaGsa, MalformedModeOrFixChangesNothing) {
  for (const char* body : {"GPGSA,AA,3,01,02,03,04,,,,,,,,,2.0,1.0,1.7",
                           "GPGSA,A,,01,02,03,04,,,,,,,,,2.0,1.0,1.7", "GPGSA"}) {
    TNmea nmea;
    EXPECT_EQ(Send(nmea, body), 0) << body;
    EXPECT_EQ(nmea.errorCount(), 0u);
    EXPECT_EQ(nmea.record().updated, 0);
    EXPECT_EQ(nmea.record().satellitesUsed, 0);
    EXPECT_EQ(nmea.record().pdop, 0);
  }
}

// Three messages of 9 satellites: C/N0 fills channel entries as messages arrive; the PRN list
// keeps the previous group until the last message.
TEST(NmeaGsv, GroupOfNineFillsChannelsAndCommitsAtTheEnd) {
  TNmea nmea;
  TNavRecord& r = nmea.record();
  for (int i = 0; i < kChannelCount; ++i) r.prnList[i] = 100 + i;
  ASSERT_EQ(Send(nmea, "GPGSA,A,3,02,07,,,,,,,,,,,2.0,1.0,1.7"), 1);

  ASSERT_EQ(Send(nmea, "GPGSV,3,1,09,02,10,020,41,05,11,050,42,07,12,070,43,09,13,090,44"), 1);
  EXPECT_EQ(r.satellitesInView, 9);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(r.channels[i].cn0, 41 + i);
  EXPECT_EQ(r.channels[4].cn0, 0);
  EXPECT_EQ(r.prnList[0], 100);

  ASSERT_EQ(Send(nmea, "GPGSV,3,2,09,12,14,120,45,15,15,150,46,17,16,170,47,19,17,190,48"), 1);
  for (int i = 4; i < 8; ++i) EXPECT_EQ(r.channels[i].cn0, 41 + i);
  EXPECT_EQ(r.prnList[0], 100);

  ASSERT_EQ(Send(nmea, "GPGSV,3,3,09,24,18,240,49"), 1);
  EXPECT_EQ(r.channels[8].cn0, 49);
  EXPECT_EQ(r.channels[9].cn0, 0);
  const int expected[kChannelCount] = {2, 5, 7, 9, 12, 15, 17, 19, 24};
  for (int i = 0; i < kChannelCount; ++i) EXPECT_EQ(r.prnList[i], expected[i]) << i;

  EXPECT_EQ(r.satellites[24 - 1].elevation, 18);
  EXPECT_EQ(r.satellites[24 - 1].azimuth, 240);
  EXPECT_EQ(r.satellites[2 - 1].used, 1);
  EXPECT_EQ(r.satellites[5 - 1].used, 0);
  EXPECT_EQ(r.satellites[7 - 1].used, 1);
  // Only elevation, azimuth and used-in-fix are written.
  EXPECT_EQ(r.satellites[24 - 1].signal, 0);
  EXPECT_EQ(r.satellites[24 - 1].channel, 0);

  // A new group starts over at channel entry 0.
  ASSERT_EQ(Send(nmea, "GPGSV,1,1,01,30,45,300,33"), 1);
  EXPECT_EQ(r.channels[0].cn0, 33);
  EXPECT_EQ(r.channels[1].cn0, 42);  // left from the last group
  EXPECT_EQ(r.prnList[0], 30);
  EXPECT_EQ(r.prnList[1], 0);
}

TEST(NmeaGsv, NoSatellites) {
  TNmea nmea;
  TNavRecord& r = nmea.record();
  r.prnList[0] = 7;
  r.satellitesInView = 3;
  ASSERT_EQ(Send(nmea, "GPGSV,1,1,00"), 1);
  EXPECT_EQ(r.satellitesInView, 0);
  EXPECT_EQ(r.prnList[0], 0);
  EXPECT_EQ(r.channels[0].cn0, 0);
}

TEST(NmeaGsv, MessageNumberAboveTotalIsNotAccepted) {
  TNmea nmea;
  EXPECT_EQ(Send(nmea, "GPGSV,1,2,05,01,10,020,41"), 0);
  EXPECT_EQ(nmea.errorCount(), 0u);
  EXPECT_EQ(nmea.record().updated, 0);
}

TEST(NmeaGsv, MoreThanSixteenSatellitesStopAtSixteenEntries) {
  TNmea nmea;
  const TNavRecord& r = nmea.record();
  int prn = 1;
  for (int m = 1; m <= 6; ++m) {
    std::string body = "GPGSV,6,";
    body += std::to_string(m) + ",24";
    for (int i = 0; i < 4; ++i, ++prn) {
      body += "," + std::to_string(prn) + ",10," + std::to_string(prn) + "," + std::to_string(prn);
    }
    ASSERT_EQ(Send(nmea, body), 1) << body;
  }
  EXPECT_EQ(r.satellitesInView, 24);
  for (int i = 0; i < kChannelCount; ++i) {
    EXPECT_EQ(r.prnList[i], i + 1);
    EXPECT_EQ(r.channels[i].cn0, i + 1);
  }
  // Satellite entries are by PRN, so those after the 16th still get theirs.
  EXPECT_EQ(r.satellites[24 - 1].azimuth, 24);
}

TEST(NmeaGsv, PrnOutsideOneTo64WritesNoSatelliteEntry) {
  TNmea nmea;
  const TNavRecord before = nmea.record();
  ASSERT_EQ(Send(nmea, "GPGSV,1,1,04,0,10,020,41,65,11,050,42,-3,12,070,43,193,13,090,44"), 1);
  const TNavRecord& r = nmea.record();
  for (int i = 0; i < kSatelliteCount; ++i) {
    EXPECT_EQ(r.satellites[i].elevation, before.satellites[i].elevation);
  }
  const int prns[4] = {0, 65, -3, 193};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(r.prnList[i], prns[i]);  // the display skips them
    EXPECT_EQ(r.channels[i].cn0, 41 + i);
  }
}

TEST(NmeaGsv, StrangeMessageNumbersStayInBounds) {
  for (const char* body :
       {"GPGSV,0,0,99,01,10,020,41,02,10,020,41,03,10,020,41,04,10,020,41",
        "GPGSV,-5,-5,99,01,10,020,41", "GPGSV,2147483647,2147483647,2147483647,01,1,1,1",
        "GPGSV,5,-2147483647,2147483647,01,1,1,1", "GPGSV,99999999999,99999999999,9"}) {
    TNmea nmea;
    Send(nmea, body);
    EXPECT_EQ(nmea.errorCount(), 0u) << body;
  }
}

struct ProprietaryCase {
  const char* fields;
  int result;
};

class NmeaProprietary : public ::testing::TestWithParam<ProprietaryCase> {};

TEST_P(NmeaProprietary, ResultCode) {
  TNmea nmea;
  const ProprietaryCase& c = GetParam();
  EXPECT_EQ(Send(nmea, std::string("MXTR,") + c.fields), c.result) << c.fields;
  EXPECT_EQ(nmea.record().restartCounter, c.result == 256 ? 1 : 0);
  EXPECT_EQ(nmea.record().updated, c.result != 0 ? 1 : 0);
  EXPECT_EQ(nmea.errorCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, NmeaProprietary,
    ::testing::Values(ProprietaryCase{"4D,21,HELLO", 257}, ProprietaryCase{"4d,21,HELLO", 257},
                      ProprietaryCase{"4D,21,DATARQST", 258}, ProprietaryCase{"4D,21,hello", 0},
                      ProprietaryCase{"4D,21,HELLOX", 0}, ProprietaryCase{"4D,21", 0},
                      ProprietaryCase{"4D,20", 259}, ProprietaryCase{"41,72", 260},
                      ProprietaryCase{"4E,72", 261}, ProprietaryCase{"41,73", 262},
                      ProprietaryCase{"41,74", 0}, ProprietaryCase{"4G,21,HELLO", 0},
                      ProprietaryCase{"4D,021,HELLO", 0}, ProprietaryCase{"REV,1.0.6", 256},
                      ProprietaryCase{"REV,", 256}, ProprietaryCase{"REV", 0},  // one field
                      ProprietaryCase{"REVX,1", 0}, ProprietaryCase{"RE,V1", 0}));

TEST(NmeaProprietary, EachRevisionCountsARestart) {
  TNmea nmea;
  for (int i = 1; i <= 3; ++i) {
    ASSERT_EQ(Send(nmea, "MXTR,REV,1"), 256);
    EXPECT_EQ(nmea.record().restartCounter, i);
  }
}

// Fields after the 32nd are not stored but still counted and checked.
TEST(NmeaFields, BeyondThe32ndAreCountedAndCheckedNotStored) {
  TNmea nmea;
  EXPECT_EQ(Send(nmea, "GPRMC,,,,,,,,,120708" + std::string(30, ',')), 1);
  EXPECT_EQ(nmea.record().day, 12);
  // 14 fields and 20 more is not "exactly 14".
  EXPECT_EQ(Send(nmea, "GPGGA,000000,,,,,1,05,,,,,,," + std::string(20, ',')), 0);
  EXPECT_EQ(nmea.errorCount(), 0u);
  // A character in the 40th field takes part in the checksum.
  std::string sentence = WithChecksum("GPGLL" + std::string(39, ',') + "A");
  EXPECT_EQ(ResultOf(nmea, sentence), 1);
  sentence[sentence.find('A')] = 'B';
  EXPECT_EQ(ResultOf(nmea, sentence), 0);
  EXPECT_EQ(nmea.errorCount(), 1u);
}

TEST(NmeaFields, GsvWithExtraFieldsDecodesByTheStoredOnes) {
  TNmea nmea;
  ASSERT_EQ(Send(nmea, "GPGSV,1,1,02,01,10,020,41,02,11,030,42" + std::string(25, ',') + "9"), 1);
  EXPECT_EQ(nmea.record().prnList[1], 2);
  EXPECT_EQ(nmea.record().channels[1].cn0, 42);
}

TEST(NmeaFields, DescribeShowsEveryWrittenField) {
  // The chunking and capture tests compare records through Describe; it must see a change in
  // the last channel entry and in a satellite entry.
  TNmea a, b;
  b.record().channels[kChannelCount - 1].cn0 = 1;
  EXPECT_NE(Describe(a.record()), Describe(b.record()));
  b = a;
  b.record().satellites[kSatelliteCount - 1].used = 1;
  EXPECT_NE(Describe(a.record()), Describe(b.record()));
}

}  // namespace
}  // namespace vetra
