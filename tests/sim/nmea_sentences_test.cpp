#include "sim/nmea_sentences.h"

#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace vetra::sim {
namespace {

using test::ChecksumOk;
using test::Fields;

// 2024-03-14 12:35:19.000 UTC
constexpr int64_t kUtcMs = 1710419719000;

EpochReport FixedReport(int satellites, bool fix) {
  EpochReport r;
  r.utcMs = kUtcMs;
  r.fix = fix;
  r.fixMode = fix ? 2 : 0;
  r.position = {49.2827, -123.1207, 70.04, 36.0, 84.3};
  r.pdop = 1.8;
  r.hdop = 1.1;
  r.vdop = 1.4;
  for (int i = 0; i < satellites; ++i) {
    ChannelReport c;
    c.prn = 2 + 3 * i;
    c.elevationDeg = 10 + 7 * i;
    c.azimuthDeg = 35 * i;
    c.cn0DbHz = 30 + i;
    c.tracked = true;
    c.used = fix && i % 4 != 3;
    if (c.used) ++r.satellitesUsed;
    r.channels.push_back(c);
  }
  return r;
}

std::string Line(const std::string& sentence) {
  EXPECT_GE(sentence.size(), 2u);
  EXPECT_EQ(sentence.substr(sentence.size() - 2), "\r\n");
  return sentence.substr(0, sentence.size() - 2);
}

TEST(NmeaSentences, CoordinatesAreDegreesAndMinutesRoundedOnce) {
  struct Row {
    double degrees;
    int digits;
    const char* text;
  } rows[] = {
      {49.2827, 2, "4916.9620"},   {-123.1207, 3, "12307.2420"}, {49.225, 2, "4913.5000"},
      {121.5, 3, "12130.0000"},    {0.0, 2, "0000.0000"},        {-0.5, 2, "0030.0000"},
      {9.9999999, 2, "1000.0000"},  // 59.99999' carries into the degrees
  };
  for (const Row& row : rows) {
    EXPECT_EQ(NmeaCoordinate(row.degrees, row.digits), row.text) << row.degrees;
  }
}

TEST(NmeaSentences, EveryKindHasAValidChecksumAndFitsTheLengthLimit) {
  for (bool fix : {false, true}) {
    const EpochReport r = FixedReport(11, fix);
    std::vector<std::string> all = {GgaSentence(r),
                                    GsaSentence(r),
                                    RmcSentence(r),
                                    VtgSentence(r),
                                    GllSentence(r),
                                    ZdaSentence(r),
                                    MxtrSentence({"REV", "K700FW"})};
    for (const std::string& s : GsvSentences(r)) all.push_back(s);
    for (const std::string& s : all) {
      const std::string line = Line(s);
      EXPECT_TRUE(ChecksumOk(line)) << line;
      EXPECT_LE(s.size(), 82u) << line;
      EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    }
  }
}

TEST(NmeaSentences, GgaHasFourteenFieldsWithAndWithoutFix) {
  const auto fixed = Fields(Line(GgaSentence(FixedReport(8, true))));
  ASSERT_EQ(fixed.size(), 15u);  // the address and 14 fields
  EXPECT_EQ(fixed[0], "GPGGA");
  EXPECT_EQ(fixed[1], "123519.000");
  EXPECT_EQ(fixed[2], "4916.9620");
  EXPECT_EQ(fixed[3], "N");
  EXPECT_EQ(fixed[4], "12307.2420");
  EXPECT_EQ(fixed[5], "W");
  EXPECT_EQ(fixed[6], "1");
  EXPECT_EQ(fixed[7], "06");
  EXPECT_EQ(fixed[9], "70.0");

  const auto none = Fields(Line(GgaSentence(FixedReport(8, false))));
  ASSERT_EQ(none.size(), 15u);
  EXPECT_EQ(none[2], "");
  EXPECT_EQ(none[6], "0");
}

TEST(NmeaSentences, GsaListsExactlyTheSatellitesUsed) {
  const EpochReport r = FixedReport(11, true);
  const auto f = Fields(Line(GsaSentence(r)));
  ASSERT_EQ(f.size(), 18u);  // address, mode, fix, 12 PRNs, 3 DOPs
  EXPECT_EQ(f[1], "A");
  EXPECT_EQ(f[2], "3");
  int listed = 0;
  for (int i = 3; i < 15; ++i) {
    if (f[i].empty()) continue;
    ++listed;
    const int prn = std::stoi(f[i]);
    bool used = false;
    for (const ChannelReport& c : r.channels) used |= c.prn == prn && c.used;
    EXPECT_TRUE(used) << prn;
  }
  EXPECT_EQ(listed, r.satellitesUsed);
  EXPECT_EQ(f[15], "1.8");

  const auto none = Fields(Line(GsaSentence(FixedReport(11, false))));
  EXPECT_EQ(none[2], "1");
  EXPECT_EQ(none[3], "");
}

TEST(NmeaSentences, GsvGroupsFourSatellitesPerSentence) {
  struct Row {
    int satellites;
    size_t sentences;
  } rows[] = {{0, 1}, {1, 1}, {4, 1}, {5, 2}, {9, 3}, {11, 3}, {12, 3}, {13, 4}};
  for (const Row& row : rows) {
    const auto gsv = GsvSentences(FixedReport(row.satellites, true));
    ASSERT_EQ(gsv.size(), row.sentences) << row.satellites;
    int seen = 0;
    for (size_t m = 0; m < gsv.size(); ++m) {
      const auto f = Fields(Line(gsv[m]));
      EXPECT_EQ(std::stoul(f[1]), row.sentences);
      EXPECT_EQ(std::stoul(f[2]), m + 1);
      EXPECT_EQ(std::stoi(f[3]), row.satellites);
      seen += static_cast<int>((f.size() - 4) / 4);
    }
    EXPECT_EQ(seen, row.satellites);
  }
  const auto first = Fields(Line(GsvSentences(FixedReport(5, true))[0]));
  EXPECT_EQ(first[4], "02");   // PRN
  EXPECT_EQ(first[5], "10");   // elevation
  EXPECT_EQ(first[6], "000");  // azimuth
  EXPECT_EQ(first[7], "30");   // C/N0
}

TEST(NmeaSentences, RmcCarriesStatusSpeedCourseAndDate) {
  const auto fixed = Fields(Line(RmcSentence(FixedReport(8, true))));
  EXPECT_EQ(fixed[0], "GPRMC");
  EXPECT_EQ(fixed[2], "A");
  EXPECT_EQ(fixed[7], "19.4");  // 36 km/h in knots
  EXPECT_EQ(fixed[8], "084.3");
  EXPECT_EQ(fixed[9], "140324");
  const auto none = Fields(Line(RmcSentence(FixedReport(8, false))));
  EXPECT_EQ(none[2], "V");
  EXPECT_EQ(none[3], "");
  EXPECT_EQ(none[7], "");  // no speed: the host reads 0, not "no data"
  EXPECT_EQ(none[9], "140324");
}

TEST(NmeaSentences, ChecksumCanBeSwitchedOff) {
  const std::string s = GgaSentence(FixedReport(8, true), false);
  EXPECT_EQ(s.find('*'), std::string::npos);
  EXPECT_EQ(s.substr(s.size() - 2), "\r\n");
}

TEST(NmeaSentences, ProprietarySentenceHasNoTalker) {
  EXPECT_EQ(Line(MxtrSentence({"4D", "21", "DATARQST"})).substr(0, 21), "$MXTR,4D,21,DATARQST*");
  EXPECT_TRUE(ChecksumOk(Line(MxtrSentence({"41", "72"}))));
}

TEST(NmeaSentences, ZdaShowsTheLocalZone) {
  EpochReport r = FixedReport(0, true);
  r.zoneHours = -8;
  r.zoneMinutes = -30;
  const auto f = Fields(Line(ZdaSentence(r)));
  EXPECT_EQ(f[2], "14");
  EXPECT_EQ(f[3], "03");
  EXPECT_EQ(f[4], "2024");
  EXPECT_EQ(f[5], "-08");
  EXPECT_EQ(f[6], "30");
}

TEST(UtcTime, CivilDateAndGpsWeek) {
  const UtcTime t = UtcFromMs(kUtcMs);
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 3);
  EXPECT_EQ(t.day, 14);
  EXPECT_EQ(t.hour, 12);
  EXPECT_EQ(t.minute, 35);
  EXPECT_EQ(t.second, 19);
  const UtcTime leap = UtcFromMs(951782400000);  // 2000-02-29
  EXPECT_EQ(leap.month, 2);
  EXPECT_EQ(leap.day, 29);
  // 2024-03-14 is in GPS week 2305 (Thursday: 4 days + 12:35:37 GPS into the week).
  const GpsTime g = GpsFromUtcMs(kUtcMs);
  EXPECT_EQ(g.week, 2305);
  EXPECT_DOUBLE_EQ(g.secondsOfWeek, 4 * 86400 + 12 * 3600 + 35 * 60 + 19 + 18);
}

}  // namespace
}  // namespace vetra::sim
