// The split-and-parse path: which parser gets which bytes, when a line ends, what it echoes.
#include "session/stream_splitter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/frame.h"

namespace vetra {
namespace {

std::string Sentence(const std::string& body) {
  uint8_t sum = 0;
  for (char c : body) sum ^= static_cast<uint8_t>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

const std::string kGga =
    Sentence("GPGGA,123519.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,");

std::string Frame(uint8_t frameClass, uint8_t id, std::vector<uint8_t> payload) {
  uint8_t out[kMaxFrameSize];
  const size_t n = BuildFrame(frameClass, id, payload, out);
  return std::string(reinterpret_cast<const char*>(out), n);
}

// The clock offset reply 25 25 F2 82 12 34 56 0D 0A.
const std::string kClockOffset = Frame(0xF2, 0x82, {0x12, 0x34});

struct Line {
  std::string text;
  ParserKind parser;
  int result;
  std::string head;
  std::string raw;
};

class Splitter : public ::testing::Test {
 protected:
  // One run at the given second; returns the lines that ended in it.
  std::vector<Line> Run(const std::string& bytes, int64_t now = 1000) {
    std::vector<Line> lines;
    splitter.Process(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()),
                     now, [&](const EchoLine& line) {
                       lines.push_back({std::string(line.text), line.parser, line.result,
                                        std::string(line.sentenceHead), std::string(line.raw)});
                     });
    return lines;
  }

  ReceiverStores stores;
  TNmea nmea;
  TBinary binary{stores};
  TStreamSplitter splitter{nmea, binary};
};

std::string WithoutLineEnd(const std::string& s) { return s.substr(0, s.size() - 2); }

TEST_F(Splitter, SentenceThenFrameInOneRunGiveTwoLinesInOrder) {
  const auto lines = Run(kGga + kClockOffset);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, WithoutLineEnd(kGga));
  EXPECT_EQ(lines[0].parser, ParserKind::Nmea);
  EXPECT_EQ(lines[0].result, 1);
  EXPECT_EQ(lines[1].text, WithoutLineEnd(kClockOffset));
  EXPECT_EQ(lines[1].raw, kClockOffset);  // every byte, for the echo's hex view
  EXPECT_EQ(lines[1].parser, ParserKind::Binary);
  EXPECT_EQ(lines[1].result, 1);
  EXPECT_EQ(binary.replies().clockOffset, 0x3412);
  EXPECT_EQ(nmea.record().hour, 12);
}

TEST_F(Splitter, FrameThenSentenceAndBytesBeforeTheMarkerAreEchoed) {
  const auto lines = Run("xy" + kClockOffset + "junk" + kGga);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, "xy" + WithoutLineEnd(kClockOffset));
  EXPECT_EQ(lines[1].text, "junk" + WithoutLineEnd(kGga));
  EXPECT_EQ(lines[1].head, "GPGGA,");
}

TEST_F(Splitter, WrongChecksumFrameEndsWithResultZero) {
  std::string bad = kClockOffset;
  bad[6] ^= 0x01;
  const auto lines = Run(bad);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].parser, ParserKind::Binary);
  EXPECT_EQ(lines[0].result, 0);
  EXPECT_EQ(binary.replies().clockOffset, 0);
}

TEST_F(Splitter, FrameOverSeveralPassesCompletesWithinItsWindow) {
  // Opened at second 100: the deadline is 103, so second 102 still belongs to the frame.
  EXPECT_TRUE(Run(kClockOffset.substr(0, 3), 100).empty());
  EXPECT_TRUE(Run(kClockOffset.substr(3, 3), 101).empty());
  const auto lines = Run(kClockOffset.substr(6), 102);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, WithoutLineEnd(kClockOffset));
  EXPECT_EQ(lines[0].result, 1);
}

TEST_F(Splitter, DeadlineCutsAnOpenSentenceOffAtTheThirdWholeSecond) {
  EXPECT_TRUE(Run("$GPGGA,12", 10).empty());
  EXPECT_TRUE(Run("34", 12).empty());  // still before the deadline 13
  const auto cut = Run("5678", 13);
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0].text, "$GPGGA,123456");  // last two bytes dropped
  EXPECT_EQ(cut[0].parser, ParserKind::Nmea);
  EXPECT_EQ(cut[0].result, 0);

  // The next run is scanned afresh; bytes without a marker are dropped now.
  EXPECT_TRUE(Run("no marker here\r\n", 13).empty());
  const auto next = Run(kGga, 14);
  ASSERT_EQ(next.size(), 1u);
  EXPECT_EQ(next[0].text, WithoutLineEnd(kGga));
  EXPECT_EQ(next[0].result, 1);
}

TEST_F(Splitter, DeadlineCutsAnOpenFrameOff) {
  EXPECT_TRUE(Run(kClockOffset.substr(0, 5), 50).empty());
  EXPECT_TRUE(Run("", 53).empty());  // an empty run ends nothing
  const auto cut = Run("zz", 53);    // still no LF, and the time is up
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0].parser, ParserKind::Binary);
  EXPECT_EQ(cut[0].result, 0);
  EXPECT_EQ(cut[0].text, kClockOffset.substr(0, 5));
  EXPECT_EQ(binary.replies().clockOffset, 0);
}

TEST_F(Splitter, FrameCompletesAfterItsDeadlineWhenItsLastBytesComeInOneRun) {
  // The deadline is only tested when a feed ends nothing: the rest of the frame still goes to
  // TBinary, which completes it from its kept state.
  EXPECT_TRUE(Run(kClockOffset.substr(0, 5), 50).empty());
  const auto late = Run(kClockOffset.substr(5), 60);
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(late[0].result, 1);
}

TEST_F(Splitter, RunWithoutMarkerWhileNothingIsOpenIsDropped) {
  EXPECT_TRUE(Run("GPGGA,no dollar,,,\r\nplain text\n").empty());
  EXPECT_EQ(nmea.errorCount(), 0u);
  const auto lines = Run(kGga);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, WithoutLineEnd(kGga));
}

TEST_F(Splitter, OpenSentenceTakesBytesWithoutMarker) {
  EXPECT_TRUE(Run("$GPGGA,123519.000,4807.0380,N", 10).empty());
  const auto lines = Run(kGga.substr(std::string("$GPGGA,123519.000,4807.0380,N").size()), 10);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, WithoutLineEnd(kGga));
  EXPECT_EQ(lines[0].result, 1);
  EXPECT_EQ(lines[0].head, "GPGGA,");
}

TEST_F(Splitter, ARejectedSentenceEndsAtItsLfSoTheNextFrameIsDecoded) {
  std::string bad = kGga;
  bad[bad.size() - 3] ^= 0x01;  // a checksum digit
  const std::string unknownTalker = Sentence("GNGGA,123519.000,,,,,0,00,,,M,,M,,");
  for (const std::string& rejected : {bad, unknownTalker}) {
    SCOPED_TRACE(rejected);
    TNmea freshNmea;
    ReceiverStores freshStores;
    TBinary freshBinary{freshStores};
    TStreamSplitter fresh{freshNmea, freshBinary};
    std::vector<Line> lines;
    auto sink = [&](const EchoLine& line) {
      lines.push_back({std::string(line.text), line.parser, line.result, {}, {}});
    };
    // The frame comes in the next run, well within the sentence's deadline.
    fresh.Process(reinterpret_cast<const uint8_t*>(rejected.data()),
                  static_cast<int>(rejected.size()), 10, sink);
    fresh.Process(reinterpret_cast<const uint8_t*>(kClockOffset.data()),
                  static_cast<int>(kClockOffset.size()), 10, sink);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, WithoutLineEnd(rejected));
    EXPECT_EQ(lines[0].parser, ParserKind::Nmea);
    EXPECT_EQ(lines[0].result, 0);
    EXPECT_EQ(lines[1].parser, ParserKind::Binary);
    EXPECT_EQ(lines[1].result, 1);
    EXPECT_EQ(freshBinary.replies().clockOffset, 0x3412);
  }
}

// A frame right after NMEA text that TNmea leaves open is decoded all the same: after a sentence
// accepted without a result, and after a sentence cut off before its LF. The same bytes give the
// same lines whole and byte by byte.
TEST_F(Splitter, AFrameAfterAnOpenSentenceIsDecodedInAnyPieces) {
  const std::string ack = Frame(0x06, 0x05, {});
  struct Case {
    const char* what;
    std::string before;
    std::string nmeaLine;  // the echo of the NMEA line the frame cuts
  };
  const std::string gsvBeyondItsGroup = Sentence("GPGSV,3,4,12,01,40,083,46");
  const std::string ggaShort = Sentence("GPGGA,123519.000,4807.0380,N");
  const std::string cutOff = "$GNGGA,12";
  const Case cases[] = {
      {"GSV beyond its group", gsvBeyondItsGroup, gsvBeyondItsGroup},
      {"GGA with too few fields", ggaShort, ggaShort},
      {"cut off without LF", cutOff, cutOff + "\r\n"},
  };
  for (const Case& c : cases) {
    for (const int piece : {0, 1, 7}) {
      SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(piece));
      TNmea freshNmea;
      ReceiverStores freshStores;
      TBinary freshBinary{freshStores};
      TStreamSplitter fresh{freshNmea, freshBinary};
      std::vector<Line> lines;
      auto sink = [&](const EchoLine& line) {
        lines.push_back(
            {std::string(line.text), line.parser, line.result, {}, std::string(line.raw)});
      };
      const std::string run = c.before + ack + kGga;
      const size_t step = piece == 0 ? run.size() : static_cast<size_t>(piece);
      for (size_t at = 0; at < run.size(); at += step) {
        const std::string part = run.substr(at, step);
        fresh.Process(reinterpret_cast<const uint8_t*>(part.data()), static_cast<int>(part.size()),
                      10, sink);
      }
      ASSERT_EQ(lines.size(), 3u);
      EXPECT_EQ(lines[0].parser, ParserKind::Nmea);
      EXPECT_EQ(lines[0].result, 0);
      EXPECT_EQ(lines[0].text, WithoutLineEnd(c.nmeaLine));
      EXPECT_EQ(lines[1].parser, ParserKind::Binary);
      EXPECT_EQ(lines[1].result, 1);
      EXPECT_EQ(lines[1].raw, ack);
      EXPECT_EQ(lines[2].text, WithoutLineEnd(kGga));
      EXPECT_EQ(lines[2].result, 1);
    }
  }
}

// A "%%" inside an open line that does not begin a valid frame changes nothing.
TEST_F(Splitter, AFrameStartWithAWrongChecksumLeavesTheLineToTNmea) {
  std::string ack = Frame(0x06, 0x05, {});
  ack[ack.size() - 3] ^= 0x01;
  const auto lines = Run("$GNGGA,12" + ack + kGga);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].parser, ParserKind::Nmea);  // dropped by TNmea at the LF it took
  EXPECT_EQ(lines[0].text, WithoutLineEnd("$GNGGA,12" + ack));
  EXPECT_EQ(lines[1].text, WithoutLineEnd(kGga));
}

// Whether a sentence ends its line depends on the sentence, not on the junk before it in the run.
TEST_F(Splitter, JunkBeforeASentenceDoesNotChangeWhereItsLineEnds) {
  const std::string gsvBeyondItsGroup = Sentence("GPGSV,3,4,12,01,40,083,46");
  for (const std::string& junk : {std::string(), std::string(120, '#')}) {
    SCOPED_TRACE(junk.size());
    TNmea freshNmea;
    TBinary freshBinary{stores};
    TStreamSplitter fresh{freshNmea, freshBinary};
    std::vector<std::string> texts;
    auto sink = [&](const EchoLine& line) { texts.emplace_back(line.text); };
    // The open line takes the junk and the GSV, and ends with the GGA.
    const std::string first = gsvBeyondItsGroup;
    const std::string second = junk + gsvBeyondItsGroup + kGga;
    fresh.Process(reinterpret_cast<const uint8_t*>(first.data()), static_cast<int>(first.size()),
                  10, sink);
    fresh.Process(reinterpret_cast<const uint8_t*>(second.data()), static_cast<int>(second.size()),
                  10, sink);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], WithoutLineEnd(first + second));
  }
}

TEST_F(Splitter, EchoKeepsLinesBelow256BytesAndASentenceAfterALongerRun) {
  // A sentence with an unknown address and no line end keeps TNmea's line open; the GGA then
  // ends it. The whole line is echoed while everything consumed for it stays below 256 bytes;
  // beyond, the echo starts again at the GGA's '$', so the sentence is still shown.
  struct Case {
    size_t total;
    bool whole;
  };
  for (const Case c : {Case{255, true}, Case{256, false}, Case{400, false}}) {
    SCOPED_TRACE(c.total);
    TNmea freshNmea;
    TBinary freshBinary{stores};
    TStreamSplitter fresh{freshNmea, freshBinary};
    const std::string filler = "$GPXYZ," + std::string(c.total - kGga.size() - 7, 'A');
    std::vector<std::string> texts;
    std::vector<std::string> heads;
    auto sink = [&](const EchoLine& line) {
      texts.emplace_back(line.text);
      heads.emplace_back(line.sentenceHead);
    };
    const std::string run = filler + kGga;  // the sentence ends in the run of the rejected bytes
    fresh.Process(reinterpret_cast<const uint8_t*>(run.data()), static_cast<int>(run.size()), 0,
                  sink);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], WithoutLineEnd(c.whole ? run : kGga));
    EXPECT_EQ(heads[0], "GPGGA,");
  }
}

TEST_F(Splitter, EchoEndsAtTheFirstZeroByte) {
  const std::string frame = Frame(0xF2, 0x82, {0x00, 0x34});
  const auto lines = Run(frame);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, std::string("%%\xF2\x82", 4));
  EXPECT_EQ(lines[0].result, 1);
}

TEST(TakeDisplayUpdate, NmeaFirstThenBinaryThenNothing) {
  ReceiverStores stores;
  TNmea nmea;
  TBinary binary{stores};
  nmea.record().updated = 1;
  nmea.record().hour = 7;
  binary.record().updated = 1;
  binary.record().hour = 9;
  TNavRecord display;

  EXPECT_EQ(TakeDisplayUpdate(nmea, binary, display), DisplaySource::Nmea);
  EXPECT_EQ(display.hour, 7);
  EXPECT_EQ(display.updated, 0);
  EXPECT_EQ(nmea.record().updated, 0);
  EXPECT_EQ(binary.record().updated, 1);

  EXPECT_EQ(TakeDisplayUpdate(nmea, binary, display), DisplaySource::Binary);
  EXPECT_EQ(display.hour, 9);
  EXPECT_EQ(binary.record().updated, 0);

  EXPECT_EQ(TakeDisplayUpdate(nmea, binary, display), DisplaySource::None);
  EXPECT_EQ(display.hour, 9);
}

}  // namespace
}  // namespace vetra
