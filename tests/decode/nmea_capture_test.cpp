// TNmea on real receiver captures: every capture feeds within bounds, cutting a stream into
// pieces changes nothing, hand-checked values of chosen sentences, and what LF-only streams and
// other talkers give under the parser's rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "decode/nmea.h"
#include "tests/decode/nmea_test_support.h"

namespace vetra {
namespace {

using testing::Describe;
using testing::FeedLineByLine;
using testing::FeedStream;
using testing::FeedText;
using testing::FeedTranscript;
using testing::ReadCapture;

std::vector<std::string> CaptureNames() {
  std::vector<std::string> names;
  const std::filesystem::path folder = std::filesystem::path(VETRA_TESTDATA) / "nmea-real";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".log") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Lines of a capture, each with its LF.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    lf = lf == std::string::npos ? text.size() : lf + 1;
    lines.push_back(text.substr(start, lf - start));
    start = lf;
  }
  return lines;
}

int CountLinesStartingWith(const std::string& text, std::initializer_list<const char*> prefixes) {
  int count = 0;
  for (const std::string& line : Lines(text)) {
    for (const char* prefix : prefixes) {
      if (line.rfind(prefix, 0) == 0) ++count;
    }
  }
  return count;
}

TEST(NmeaCaptures, AllThereAndNonEmpty) {
  const std::vector<std::string> names = CaptureNames();
  EXPECT_EQ(names.size(), 35u);
  for (const std::string& name : names) EXPECT_FALSE(ReadCapture(name).empty()) << name;
}

// Fed whole, in 1-byte and in 7-byte pieces (each piece fed again on its remainder, as the
// monitoring task does): the same results in the same order and the same final record. The
// error count differs only by the delimiters that lay beyond position 82 of their call. Whole
// calls run the 16-byte block scan, 1-byte and 7-byte pieces only the byte loop.
TEST(NmeaCaptures, ChunkingChangesNothing) {
  for (const std::string& name : CaptureNames()) {
    const std::string stream = ReadCapture(name);
    TNmea whole;
    const FeedTranscript expected = FeedStream(whole, stream);
    ASSERT_TRUE(expected.consumedOk) << name;
    for (size_t piece : {size_t{1}, size_t{7}}) {
      TNmea pieces;
      const FeedTranscript got = FeedStream(pieces, stream, piece);
      ASSERT_TRUE(got.consumedOk) << name << " in pieces of " << piece;
      EXPECT_EQ(got.results, expected.results) << name << " in pieces of " << piece;
      EXPECT_EQ(Describe(pieces.record()), Describe(whole.record()))
          << name << " in pieces of " << piece;
      EXPECT_EQ(pieces.errorCount() - got.positionErrors,
                whole.errorCount() - expected.positionErrors)
          << name << " in pieces of " << piece;
    }
  }
}

TEST(NmeaCaptures, ResultsOfCleanStreams) {
  struct Case {
    const char* name;
    size_t results;
  };
  // Every sentence of a supported kind (the mt3339 GGAs are too long, see below).
  const Case cases[] = {{"navika-100-fix.log", 180}, {"nd-1005.log", 89}, {"mt3339.log", 108}};
  for (const Case& c : cases) {
    TNmea nmea;
    const std::vector<int> results = FeedStream(nmea, ReadCapture(c.name)).results;
    EXPECT_EQ(results.size(), c.results) << c.name;
    EXPECT_TRUE(std::all_of(results.begin(), results.end(), [](int r) { return r == 1; }));
  }
}

// nd-1005.log, CR LF, one cycle worked out by hand from the sentence text.
TEST(NmeaCaptures, Nd1005FirstCycleByHand) {
  const std::vector<std::string> lines = Lines(ReadCapture("nd-1005.log"));
  ASSERT_GT(lines.size(), 17u);
  TNmea nmea;
  nmea.ResetRecord();
  const TNavRecord& r = nmea.record();

  // $GPGGA,110518.000,5709.8067,N,00207.2822,W,1,08,1.0,59.3,M,48.2,M,,0000*77
  ASSERT_EQ(FeedText(nmea, lines[0]).result, 1);
  EXPECT_EQ(r.hour, 11);
  EXPECT_EQ(r.minute, 5);
  EXPECT_EQ(r.second, 18);
  EXPECT_NEAR(r.latitudeDeg, 57.163445, 1e-5);  // 57 + 9.8067 / 60
  EXPECT_EQ(r.latitudeHemisphere, 'N');
  EXPECT_NEAR(r.longitudeDeg, 2.121370, 1e-5);  // 2 + 7.2822 / 60
  EXPECT_EQ(r.longitudeHemisphere, 'W');
  EXPECT_EQ(r.fixIndicator, 0);
  EXPECT_EQ(r.satellitesUsed, 8);
  EXPECT_EQ(r.fixMode, 2);
  EXPECT_EQ(r.altitudeM, 59);

  // $GPGLL (accepted only), $GPGSA,A,3,23,04,20,31,32,17,13,24,,,,,2.1,1.0,1.8*3F
  ASSERT_EQ(FeedText(nmea, lines[1]).result, 1);
  ASSERT_EQ(FeedText(nmea, lines[2]).result, 1);
  EXPECT_EQ(r.status, 'A');
  EXPECT_EQ(r.fixMode, 2);
  EXPECT_FLOAT_EQ(r.pdop, 2.1f);
  EXPECT_FLOAT_EQ(r.hdop, 1.0f);
  EXPECT_FLOAT_EQ(r.vdop, 1.8f);

  // $GPRMC,110518.000,A,5709.8067,N,00207.2822,W,0.00,,140311,,,A*65
  ASSERT_EQ(FeedText(nmea, lines[3]).result, 1);
  EXPECT_EQ(r.year, 2011);
  EXPECT_EQ(r.month, 3);
  EXPECT_EQ(r.day, 14);
  EXPECT_EQ(r.speedKmh, 0);
  EXPECT_EQ(r.headingDeg, 0);  // empty course

  // Lines 14..16, after the GSA of line 13:
  // $GPGSV,3,1,12,23,65,147,33,20,59,095,27,04,46,290,20,13,37,191,24*79
  // $GPGSV,3,2,12,32,32,083,33,17,30,227,20,31,23,042,22,24,16,136,21*73
  // $GPGSV,3,3,12,10,14,262,,02,11,306,,25,08,,,12,07,321,15*40
  for (size_t i = 4; i < 16; ++i) ASSERT_EQ(FeedText(nmea, lines[i]).result, 1) << lines[i];
  EXPECT_EQ(r.satellitesInView, 12);
  const int prns[kChannelCount] = {23, 20, 4, 13, 32, 17, 31, 24, 10, 2, 25, 12};
  const int cn0[kChannelCount] = {33, 27, 20, 24, 33, 20, 22, 21, 0, 0, 0, 15};
  for (int i = 0; i < kChannelCount; ++i) {
    EXPECT_EQ(r.prnList[i], prns[i]) << i;
    EXPECT_EQ(r.channels[i].cn0, cn0[i]) << i;
  }
  EXPECT_EQ(r.satellites[23 - 1].elevation, 65);
  EXPECT_EQ(r.satellites[23 - 1].azimuth, 147);
  EXPECT_EQ(r.satellites[23 - 1].used, 1);
  EXPECT_EQ(r.satellites[10 - 1].used, 0);
  EXPECT_EQ(r.satellites[25 - 1].elevation, 8);
  EXPECT_EQ(r.satellites[25 - 1].azimuth, 0);
}

// mt3339.log, CR LF: its GGA sentences are 82 characters before the CR, so the length estimate
// (83) drops every one of them with an error, and fed on its own the line's LF lies at position
// 83, a second error. Position and time come from RMC.
TEST(NmeaCaptures, Mt3339GgaTooLongRmcGivesThePosition) {
  const std::string stream = ReadCapture("mt3339.log");
  const std::vector<std::string> lines = Lines(stream);
  TNmea nmea;
  nmea.ResetRecord();
  const TNavRecord& r = nmea.record();

  // $GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,0000,0000*6C
  EXPECT_EQ(FeedText(nmea, lines[0]).result, 0);
  EXPECT_EQ(nmea.errorCount(), 2u);
  EXPECT_EQ(r.fixIndicator, 5);
  // $GPGSA,A,3,20,16,09,03,07,10,23,19,27,30,,,1.64,0.98,1.31*05
  ASSERT_EQ(FeedText(nmea, lines[1]).result, 1);
  EXPECT_EQ(r.satellitesUsed, 10);
  EXPECT_EQ(r.fixMode, 2);
  // $GPRMC,202640.000,A,4404.1306,N,12118.8515,W,0.03,225.97,130415,,,D*73
  ASSERT_EQ(FeedText(nmea, lines[2]).result, 1);
  EXPECT_EQ(r.hour, 20);
  EXPECT_EQ(r.minute, 26);
  EXPECT_EQ(r.second, 40);
  EXPECT_NEAR(r.latitudeDeg, 44.068843, 1e-5);  // 44 + 4.1306 / 60
  EXPECT_EQ(r.latitudeHemisphere, 'N');
  EXPECT_NEAR(r.longitudeDeg, 121.314192, 1e-5);  // 121 + 18.8515 / 60
  EXPECT_EQ(r.longitudeHemisphere, 'W');
  EXPECT_EQ(r.speedKmh, 0);
  EXPECT_EQ(r.headingDeg, 225);
  EXPECT_EQ(r.day, 13);
  EXPECT_EQ(r.month, 4);
  EXPECT_EQ(r.year, 2015);
  EXPECT_EQ(r.fixMode, 2);

  TNmea all;
  EXPECT_EQ(FeedLineByLine(all, stream), 108);
  EXPECT_EQ(all.errorCount(),
            2 * static_cast<uint32_t>(CountLinesStartingWith(stream, {"$GPGGA"})));
}

// polarx2.log has LF-only line ends: no sentence reaches the line-end state. The supported kinds
// end in the checksum state at the LF (an error), the others at their address (an error).
TEST(NmeaCaptures, LfOnlyStreamGivesNothing) {
  const std::string stream = ReadCapture("polarx2.log");
  const int sentences = CountLinesStartingWith(stream, {"$"});
  ASSERT_EQ(sentences, 75);
  TNmea nmea;
  nmea.ResetRecord();
  EXPECT_EQ(FeedLineByLine(nmea, stream), 0);
  EXPECT_EQ(nmea.errorCount(), static_cast<uint32_t>(sentences));
  EXPECT_EQ(nmea.record().updated, 0);
  EXPECT_EQ(nmea.record().fixIndicator, 5);
  EXPECT_EQ(nmea.record().fixMode, 0);
  EXPECT_EQ(nmea.record().latitudeDeg, 0);
  EXPECT_EQ(nmea.record().speedKmh, -1);

  // Fed whole, the same, plus one error for every delimiter beyond position 82 of the call.
  TNmea whole;
  const FeedTranscript fedWhole = FeedStream(whole, stream);
  EXPECT_TRUE(fedWhole.results.empty());
  EXPECT_EQ(whole.errorCount(), sentences + fedWhole.positionErrors);
  EXPECT_GT(fedWhole.positionErrors, 0u);

  // With CR LF line ends the same sentences decode:
  // $GPGGA,112257.00,3844.24011,N,00908.43828,W,1,03,10.5,,,,,,*72
  std::string crlf;
  for (char c : stream) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  TNmea fixed;
  fixed.ResetRecord();
  const std::vector<std::string> lines = Lines(crlf);
  ASSERT_EQ(FeedText(fixed, lines[2]).result, 1);
  EXPECT_NEAR(fixed.record().latitudeDeg, 38.737335, 1e-5);  // 38 + 44.24011 / 60
  EXPECT_NEAR(fixed.record().longitudeDeg, 9.140638, 1e-5);  // 9 + 8.43828 / 60
  EXPECT_EQ(fixed.record().fixMode, 1);                      // 3 satellites
  EXPECT_EQ(fixed.record().altitudeM, 0);                    // empty
  EXPECT_EQ(fixed.errorCount(), 0u);
}

// neo-m8n.log: the fixes are in $GN sentences and half the satellites in $GLGSV; every one of
// those counts an error, only the $GPGSV sentences decode, and there is no fix.
TEST(NmeaCaptures, OtherTalkersGiveNoFix) {
  const std::string stream = ReadCapture("neo-m8n.log");
  TNmea nmea;
  nmea.ResetRecord();
  EXPECT_EQ(FeedLineByLine(nmea, stream), CountLinesStartingWith(stream, {"$GPGSV"}));
  EXPECT_EQ(nmea.errorCount(),
            static_cast<uint32_t>(CountLinesStartingWith(stream, {"$GN", "$GL"})));
  EXPECT_EQ(nmea.record().fixIndicator, 5);
  EXPECT_EQ(nmea.record().fixMode, 0);
  EXPECT_EQ(nmea.record().latitudeDeg, 0);
  EXPECT_EQ(nmea.record().speedKmh, -1);
  EXPECT_GT(nmea.record().satellitesInView, 0);
}

// firefly-II.log: every GGA fails its checksum; the RMCs alone give a 2D fix (no satellites
// used are known without GGA or GSA).
TEST(NmeaCaptures, BadChecksumGgaLeavesRmcFixes) {
  const std::string stream = ReadCapture("firefly-II.log");
  TNmea nmea;
  nmea.ResetRecord();
  EXPECT_EQ(FeedLineByLine(nmea, stream), CountLinesStartingWith(stream, {"$GPRMC", "$GPZDA"}));
  EXPECT_EQ(nmea.errorCount(), static_cast<uint32_t>(CountLinesStartingWith(stream, {"$GPGGA"})));
  EXPECT_EQ(nmea.record().fixMode, 1);
  EXPECT_EQ(nmea.record().fixIndicator, 5);
  // $GPRMC,010009.00,A,3715.6609,N,12157.6699,W,0.0,0.0,080710,,*2E (the last one)
  EXPECT_NEAR(nmea.record().latitudeDeg, 37.261015, 1e-5);    // 37 + 15.6609 / 60
  EXPECT_NEAR(nmea.record().longitudeDeg, 121.961165, 1e-5);  // 121 + 57.6699 / 60
  EXPECT_EQ(nmea.record().hour * 10000 + nmea.record().minute * 100 + nmea.record().second, 10009);
}

}  // namespace
}  // namespace vetra
