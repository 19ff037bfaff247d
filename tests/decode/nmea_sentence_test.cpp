// The sentence layer of TNmea: addresses, checksums, line ends, the error count and its rules,
// what one Feed call consumes, and the state and record resets.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "decode/nmea.h"
#include "tests/decode/nmea_test_support.h"

namespace vetra {
namespace {

using testing::FeedText;
using testing::ResultOf;
using testing::WithChecksum;

// 14 fields, checksum 5C; 63 bytes with CR LF.
const std::string kGgaBody = "GPGGA,123519,4913.5,N,12130.0,W,1,08,0.9,545.4,M,46.9,M,,";

std::string LowerChecksum(std::string s) {
  const size_t star = s.find('*');
  for (size_t i = star + 1; i < star + 3; ++i) {
    s[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
  }
  return s;
}

std::string ChangeChecksumDigit(std::string s) {
  const size_t star = s.find('*');
  s[star + 2] = s[star + 2] == '0' ? '1' : '0';
  return s;
}

struct FramingCase {
  const char* what;
  std::string bytes;
  int result;
  uint32_t errors;
};

class NmeaFraming : public ::testing::TestWithParam<FramingCase> {};

TEST_P(NmeaFraming, ResultAndErrorCount) {
  const FramingCase& c = GetParam();
  TNmea nmea;
  const NmeaFeed fed = FeedText(nmea, c.bytes);
  EXPECT_EQ(fed.result, c.result);
  EXPECT_EQ(nmea.errorCount(), c.errors);
  EXPECT_EQ(fed.consumed, static_cast<int>(c.bytes.size()));
  EXPECT_EQ(nmea.record().updated, c.result != 0 ? 1 : 0);
}

const std::string kGga = WithChecksum(kGgaBody);
const std::string kGgaNoChecksum = "$" + kGgaBody + "\r\n";
const std::string kGgaBodyNoCr = kGga.substr(0, kGga.size() - 2);  // "...*hh"

INSTANTIATE_TEST_SUITE_P(
    Sentences, NmeaFraming,
    ::testing::Values(
        FramingCase{"checksum in upper case", kGga, 1, 0},
        FramingCase{"checksum in lower case", LowerChecksum(kGga), 1, 0},
        FramingCase{"one checksum digit changed", ChangeChecksumDigit(kGga), 0, 1},
        FramingCase{"no checksum, ended by CR LF", kGgaNoChecksum, 1, 0},
        FramingCase{"checksum of one digit", "$" + kGgaBody + "*7\r\n", 0, 1},
        FramingCase{"checksum of three digits", kGgaBodyNoCr + "0\r\n", 0, 1},
        FramingCase{"checksum that is not hexadecimal", "$" + kGgaBody + "*G0\r\n", 0, 1},
        FramingCase{"checksum ended by LF alone", kGgaBodyNoCr + "\n", 0, 1},
        FramingCase{"no checksum, ended by LF alone", "$" + kGgaBody + "\n", 0, 0},
        FramingCase{"13 fields",
                    WithChecksum("GPGGA,123519,4913.5,N,12130.0,W,1,08,0.9,545.4,M,46.9,M"), 0, 0},
        FramingCase{"other talker", WithChecksum("GNGGA" + kGgaBody.substr(5)), 0, 1},
        FramingCase{"four-character address", WithChecksum("PGGA" + kGgaBody.substr(5)), 1, 0},
        FramingCase{"five characters not starting with G", WithChecksum("PMXTR,4D,21,HELLO"), 0, 1},
        FramingCase{"six-character address", WithChecksum("GPGGAX" + kGgaBody.substr(5)), 0, 1},
        FramingCase{"three-character address", WithChecksum("GGA,1"), 0, 1},
        FramingCase{"empty address", "$,1,2\r\n", 0, 1},
        FramingCase{"sentence kind not decoded here", WithChecksum("GPRMB,A,0.66,L"), 0, 1},
        FramingCase{"GLL accepted", WithChecksum("GPGLL,4916.45,N,12311.12,W,225444,A"), 1, 0},
        FramingCase{"VTG accepted", WithChecksum("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"), 1, 0},
        FramingCase{"ZDA accepted", WithChecksum("GPZDA,201530.00,04,07,2002,00,00"), 1, 0},
        FramingCase{"proprietary HELLO", WithChecksum("MXTR,4D,21,HELLO"), 257, 0},
        FramingCase{"proprietary with a G in front", WithChecksum("GMXTR,4D,21,HELLO"), 257, 0},
        FramingCase{"CR repeated before LF", kGgaBodyNoCr + "\r\r\r\n", 1, 0},
        FramingCase{"data between CR and LF", kGgaBodyNoCr + "\rx\n", 1, 0},
        FramingCase{"comma between CR and LF", kGgaBodyNoCr + "\r,\n", 0, 1},
        FramingCase{"'$' after CR loses the next sentence too",
                    WithChecksum("GPVTG,1", "\r") + WithChecksum("GPVTG,1"), 0, 1},
        FramingCase{"bytes before the '$'", "noise,*\r\n\r\n" + kGga, 1, 0},
        FramingCase{"'$' within the fields starts over", "$GPGGA,1235" + kGga, 1, 0}),
    [](const ::testing::TestParamInfo<FramingCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p) {
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      }
      return name;
    });

TEST(NmeaFraming, TheSentenceOfTheCaseTableHasLettersInItsChecksum) {
  EXPECT_EQ(kGga.substr(kGga.size() - 5), "*5C\r\n");
  EXPECT_LE(kGga.size(), 82u);  // so that no case reaches the position rule by itself
}

TEST(NmeaFeed, EmptyInputConsumesNothing) {
  TNmea nmea;
  const NmeaFeed none = nmea.Feed(nullptr, 10);
  EXPECT_EQ(none.consumed, 0);
  EXPECT_EQ(none.result, 0);
  const uint8_t byte = '$';
  const NmeaFeed zero = nmea.Feed(&byte, 0);
  EXPECT_EQ(zero.consumed, 0);
  EXPECT_EQ(zero.result, 0);
}

TEST(NmeaFeed, StopsAfterTheFirstDecodedSentence) {
  TNmea nmea;
  const std::string rmc =
      WithChecksum("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,");
  const std::string both = kGga + rmc;
  const NmeaFeed first = FeedText(nmea, both);
  EXPECT_EQ(first.result, 1);
  EXPECT_EQ(first.consumed, static_cast<int>(kGga.size()));
  EXPECT_EQ(nmea.record().day, 0);  // the RMC is not read yet
  const NmeaFeed second = FeedText(nmea, std::string_view(both).substr(first.consumed));
  EXPECT_EQ(second.result, 1);
  EXPECT_EQ(second.consumed, static_cast<int>(rmc.size()));
  EXPECT_EQ(nmea.record().day, 23);
}

TEST(NmeaFeed, RejectedSentencesAreConsumedWithoutStopping) {
  TNmea nmea;
  const std::string rejected = WithChecksum("GPGGA,1,2");  // 2 fields: result 0
  const std::string stream = rejected + kGga;
  const NmeaFeed fed = FeedText(nmea, stream);
  EXPECT_EQ(fed.result, 1);
  EXPECT_EQ(fed.consumed, static_cast<int>(stream.size()));
}

TEST(NmeaFeed, SentenceSplitAcrossCallsDecodesAtItsLf) {
  TNmea nmea;
  for (size_t i = 0; i + 1 < kGga.size(); ++i) {
    const NmeaFeed fed = FeedText(nmea, std::string_view(kGga).substr(i, 1));
    ASSERT_EQ(fed.result, 0) << "byte " << i;
    ASSERT_EQ(fed.consumed, 1);
  }
  EXPECT_EQ(FeedText(nmea, "\n").result, 1);
  EXPECT_EQ(nmea.errorCount(), 0u);
}

// The receiver's sentences are at most 82 characters: each delimiter beyond position 82 of the
// bytes of one call counts an error, whatever else happens to it.
TEST(NmeaErrors, DelimiterBeyondPosition82OfOneCall) {
  struct Case {
    size_t padding;
    uint32_t errors;
  };
  for (const Case c : {Case{82, 0}, Case{83, 1}, Case{200, 1}}) {
    TNmea nmea;
    FeedText(nmea, std::string(c.padding, 'x') + ",");
    EXPECT_EQ(nmea.errorCount(), c.errors) << "delimiter at " << c.padding;
  }

  // '$', 14 commas, '*', CR and LF: 18 delimiters, all beyond position 82.
  TNmea nmea;
  EXPECT_EQ(ResultOf(nmea, std::string(100, 'x') + kGga), 1);
  EXPECT_EQ(nmea.errorCount(), 18u);
  // The same bytes in two calls count nothing.
  TNmea split;
  FeedText(split, std::string(100, 'x'));
  EXPECT_EQ(ResultOf(split, kGga), 1);
  EXPECT_EQ(split.errorCount(), 0u);
}

// The length estimate counts the characters up to the CR ('$', address and comma as 7); above 80
// the sentence is dropped and counted, and the next one decodes.
TEST(NmeaErrors, SentenceLongerThan80) {
  struct Case {
    const char* what;
    std::string sentence;
    int result;
    uint32_t errors;
  };
  // Field 13 (station id) pads the GGA to the wanted length.
  auto padded = [](size_t lengthToCr, bool checksum) {
    const size_t fixed = checksum ? 5 : 2;  // "$", and "*hh" + CR or CR alone
    std::string body = kGgaBody + std::string(lengthToCr - fixed - kGgaBody.size(), '0');
    return checksum ? WithChecksum(body) : "$" + body + "\r\n";
  };
  // A HELLO with fields of zeros after it (each within a token's 32 characters) that pad it; the
  // 4-character address counts as 5 in the estimate.
  auto paddedHello = [](size_t lengthToCr) {
    std::string body = "MXTR,4D,21,HELLO";
    while (body.size() < lengthToCr - 5) {
      body += ',';
      body += std::string(std::min<size_t>(10, lengthToCr - 5 - body.size()), '0');
    }
    return WithChecksum(body);
  };
  const Case cases[] = {
      {"80 with checksum", padded(80, true), 1, 0},
      {"81 with checksum", padded(81, true), 0, 1},
      {"80 without checksum", padded(80, false), 1, 0},
      {"81 without checksum", padded(81, false), 0, 1},
      {"79 proprietary", paddedHello(79), kNmeaHello, 0},
      {"80 proprietary", paddedHello(80), 0, 1},
  };
  for (const Case& c : cases) {
    TNmea nmea;
    EXPECT_EQ(ResultOf(nmea, c.sentence), c.result) << c.what;
    EXPECT_EQ(nmea.errorCount(), c.errors) << c.what;
    EXPECT_EQ(ResultOf(nmea, kGga), 1) << c.what;
  }
}

// A token keeps the characters after its last full 32; the checksum covers only what was kept.
TEST(NmeaErrors, OverlongTokenKeepsItsLast32Characters) {
  const std::string junk32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef";
  struct Case {
    std::string field0;
    int result;
  };
  const Case cases[] = {
      {"REV", 256},
      {junk32 + "REV", 256},
      {junk32 + junk32 + "REV", 256},
      {junk32.substr(3) + "REV", 0},  // exactly 32 characters: all kept
  };
  for (const Case& c : cases) {
    TNmea nmea;
    EXPECT_EQ(ResultOf(nmea, "$MXTR," + c.field0 + ",1\r\n"), c.result) << c.field0;
    EXPECT_EQ(nmea.errorCount(), 0u);
  }
  TNmea nmea;
  const std::string kept = WithChecksum("MXTR,REV,1");
  const std::string sentOver = "$MXTR," + junk32 + kept.substr(6);
  EXPECT_EQ(ResultOf(nmea, sentOver), 256);
  EXPECT_EQ(nmea.errorCount(), 0u);
  EXPECT_EQ(ResultOf(nmea, WithChecksum("MXTR," + junk32 + "REV,1")), 0);
  EXPECT_EQ(nmea.errorCount(), 1u);
}

TEST(NmeaErrors, ClearErrorCount) {
  TNmea nmea;
  ResultOf(nmea, ChangeChecksumDigit(kGga));
  ASSERT_EQ(nmea.errorCount(), 1u);
  nmea.ClearErrorCount();
  EXPECT_EQ(nmea.errorCount(), 0u);
}

TEST(NmeaReset, ConstructionLeavesEverythingZero) {
  TNmea nmea;
  EXPECT_EQ(nmea.errorCount(), 0u);
  EXPECT_EQ(nmea.record().fixIndicator, 0);
  EXPECT_EQ(nmea.record().speedKmh, 0);
  EXPECT_EQ(nmea.record().latitudeHemisphere, 0);
  EXPECT_EQ(nmea.record().updated, 0);
}

TEST(NmeaReset, StateResetDropsThePartSentenceOnly) {
  TNmea nmea;
  ResultOf(nmea, WithChecksum("GPGSA,A,3,05,,,,,,,,,,,,2.0,1.0,1.5"));
  ResultOf(nmea, ChangeChecksumDigit(kGga));
  ASSERT_EQ(nmea.record().updated, 1);
  FeedText(nmea, kGga.substr(0, 30));
  nmea.ResetState();
  EXPECT_EQ(nmea.record().updated, 0);
  EXPECT_EQ(nmea.errorCount(), 1u);
  EXPECT_FLOAT_EQ(nmea.record().pdop, 2.0f);
  // The rest of the cut sentence is not a sentence any more; the next one decodes.
  EXPECT_EQ(ResultOf(nmea, kGga.substr(30)), 0);
  EXPECT_EQ(ResultOf(nmea, kGga), 1);
  // The used-satellite masks of the last GSA are gone.
  EXPECT_EQ(ResultOf(nmea, WithChecksum("GPGSV,1,1,01,05,40,083,46")), 1);
  EXPECT_EQ(nmea.record().satellites[4].used, 0);
}

TEST(NmeaReset, RecordResetValues) {
  TNmea nmea;
  ResultOf(nmea, WithChecksum("GPRMC,123519,A,4807.038,S,01131.000,W,022.4,084.4,230394,,"));
  ResultOf(nmea, WithChecksum("GPGSA,M,3,01,02,03,04,05,,,,,,,,2.5,1.3,2.1"));
  ResultOf(nmea, WithChecksum("GPGSV,1,1,02,01,40,083,46,02,17,308,41"));
  ResultOf(nmea, "$MXTR,REV,1\r\n");
  ResultOf(nmea, kGga);
  ASSERT_EQ(nmea.record().satellites[0].used, 1);

  nmea.ResetRecord();
  const TNavRecord& r = nmea.record();
  EXPECT_EQ(r.updated, 1);  // not touched
  EXPECT_EQ(r.restartCounter, 0);
  EXPECT_EQ(r.speedKmh, -1);
  EXPECT_EQ(r.headingDeg, 0);
  EXPECT_EQ(r.latitudeDeg, 0);
  EXPECT_EQ(r.latitudeHemisphere, 'N');
  EXPECT_EQ(r.longitudeDeg, 0);
  EXPECT_EQ(r.longitudeHemisphere, 'E');
  EXPECT_EQ(r.altitudeM, 0);
  EXPECT_EQ(r.fixIndicator, 5);
  EXPECT_EQ(r.fixMode, 0);
  EXPECT_EQ(r.status, 'A');
  EXPECT_EQ(r.pdop + r.hdop + r.vdop, 0);
  EXPECT_EQ(r.satellitesInView, 0);
  EXPECT_EQ(r.satellitesUsed, 0);
  EXPECT_EQ(r.satellites[0].used, 0);
  EXPECT_EQ(r.satellites[0].elevation, 40);  // not touched
  // Date, time, the PRN list and the C/N0 values are not touched.
  EXPECT_EQ(r.year, 2094);
  EXPECT_EQ(r.hour, 12);
  EXPECT_EQ(r.prnList[1], 2);
  EXPECT_EQ(r.channels[1].cn0, 41);
}

}  // namespace
}  // namespace vetra
