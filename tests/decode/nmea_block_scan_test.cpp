// The fields state reads 16 bytes at a time when enough bytes are left in a call; fed one byte at
// a time the parser takes the byte loop only. Both must give the same results, record and error
// count (less the delimiters beyond position 82 of their call) for any stream.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "decode/nmea.h"
#include "tests/decode/nmea_test_support.h"

namespace vetra {
namespace {

using testing::Describe;
using testing::FeedStream;
using testing::FeedTranscript;
using testing::ResultOf;
using testing::WithChecksum;

// A deterministic mix of sentences with fields of every length from 0 to 40 (tokens that cross
// 16-byte blocks and that start over at 32), up to 40 fields, good, bad and missing checksums,
// CR LF and LF-only ends, interrupted sentences and loose bytes.
std::string MixedStream(uint32_t seed, size_t sentences) {
  uint32_t state = seed;
  auto next = [&state](uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  const char* const addresses[] = {"GPGGA", "GPGSA", "GPGSV", "GPRMC", "GPVTG", "MXTR", "GNGGA"};
  const char alphabet[] = "0123456789.-ANSEWMV";
  std::string stream;
  for (size_t s = 0; s < sentences; ++s) {
    std::string body = addresses[next(7)];
    const uint32_t fields = next(4) == 0 ? next(41) : next(20);
    for (uint32_t f = 0; f < fields; ++f) {
      body += ',';
      const uint32_t length = next(3) == 0 ? next(41) : next(6);
      for (uint32_t k = 0; k < length; ++k) body += alphabet[next(sizeof alphabet - 1)];
    }
    switch (next(8)) {
      case 0:
        stream += "$" + body + "\r\n";  // no checksum
        break;
      case 1:
        stream += WithChecksum(body, "\n");  // LF only
        break;
      case 2: {
        std::string bad = WithChecksum(body);
        bad[bad.size() - 3] ^= 1;  // a wrong checksum digit
        stream += bad;
        break;
      }
      case 3:
        stream += "$" + body.substr(0, body.size() / 2);  // cut off by the next '$'
        break;
      case 4:
        for (uint32_t k = next(20); k > 0; --k) stream += static_cast<char>(next(256));
        break;
      default:
        stream += WithChecksum(body);
        break;
    }
  }
  return stream;
}

TEST(NmeaBlockScan, SameAsTheByteLoop) {
  for (uint32_t seed : {1u, 2u, 3u, 4u}) {
    const std::string stream = MixedStream(seed, 3000);
    TNmea whole, bytes;
    const FeedTranscript a = FeedStream(whole, stream);
    const FeedTranscript b = FeedStream(bytes, stream, 1);
    ASSERT_TRUE(a.consumedOk);
    ASSERT_TRUE(b.consumedOk);
    EXPECT_GT(a.results.size(), 150u) << "seed " << seed;
    EXPECT_EQ(a.results, b.results) << "seed " << seed;
    EXPECT_EQ(Describe(whole.record()), Describe(bytes.record())) << "seed " << seed;
    EXPECT_EQ(whole.errorCount() - a.positionErrors, bytes.errorCount() - b.positionErrors)
        << "seed " << seed;
  }
}

// The length estimate passes 80 at a ',' that the block scan reads: the sentence is dropped and
// counted once, and the bytes after it are not a sentence.
TEST(NmeaBlockScan, SentenceTooLongAtAComma) {
  std::string sentence = "$GPGLL,";
  for (int i = 0; i < 7; ++i) sentence += "123456789,";
  sentence += "12,1,";  // the estimate reaches 82 at this last ','
  ASSERT_EQ(sentence.size(), 82u);
  const std::string stream = sentence + "1,2*00\r\n" + std::string(20, 'x');
  for (size_t piece : {size_t{0}, size_t{1}}) {
    TNmea nmea;
    const FeedTranscript fed = FeedStream(nmea, stream, piece);
    EXPECT_TRUE(fed.results.empty());
    EXPECT_EQ(nmea.errorCount() - fed.positionErrors, 1u) << "piece " << piece;
    EXPECT_EQ(ResultOf(nmea, WithChecksum("GPGLL,1")), 1);
  }
}

}  // namespace
}  // namespace vetra
