// The fields state reads 16 bytes at a time when enough bytes are left in a call, and a canonical
// sentence met in the idle state is read whole; fed one byte at a time the parser takes the byte
// loop only (ByteMachine). Every Feed call must give what the byte machine gives for the same
// bytes: the same consumed count and result, the same error count and the same record.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "decode/nmea.h"
#include "tests/decode/nmea_byte_machine.h"
#include "tests/decode/nmea_test_support.h"

namespace vetra {
namespace {

using testing::ByteMachine;
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
    const uint32_t fields = next(4) == 0 ? next(41) : next(15);
    for (uint32_t f = 0; f < fields; ++f) {
      body += ',';
      const uint32_t length = next(6) == 0 ? next(41) : next(8);
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

// Lengths of the pieces a stream is fed in: `size` bytes each, or with size 0 one line (up to and
// with its LF) per piece, the monitoring path's one sentence per call.
std::vector<size_t> Pieces(const std::string& stream, size_t size) {
  std::vector<size_t> pieces;
  for (size_t start = 0; start < stream.size();) {
    size_t end = size == 0 ? stream.find('\n', start) : start + size - 1;
    end = std::min(end == std::string::npos ? stream.size() : end + 1, stream.size());
    pieces.push_back(end - start);
    start = end;
  }
  return pieces;
}

// Feeds each piece, again on its remainder, to a parser and call by call to the byte machine;
// stops at the first call that differs. Returns the number of decoded sentences.
size_t ExpectSameAsByteMachine(const std::string& stream, const std::vector<size_t>& pieces,
                               const std::string& what) {
  TNmea nmea;
  ByteMachine reference;
  size_t results = 0;
  const auto* at = reinterpret_cast<const uint8_t*>(stream.data());
  for (size_t piece : pieces) {
    int left = static_cast<int>(piece);
    while (left > 0) {
      const NmeaFeed fed = nmea.Feed(at, left);
      const NmeaFeed expected = reference.Feed(at, left);
      const std::string where =
          what + ", call at byte " +
          std::to_string(at - reinterpret_cast<const uint8_t*>(stream.data()));
      if (fed.consumed != expected.consumed || fed.result != expected.result ||
          nmea.errorCount() != reference.errorCount() ||
          (fed.result != 0 && Describe(nmea.record()) != Describe(reference.nmea.record()))) {
        ADD_FAILURE() << where << ": consumed " << fed.consumed << " / " << expected.consumed
                      << ", result " << fed.result << " / " << expected.result << ", errors "
                      << nmea.errorCount() << " / " << reference.errorCount() << "\n"
                      << Describe(nmea.record()) << "\n/\n"
                      << Describe(reference.nmea.record());
        return results;
      }
      results += fed.result != 0;
      at += fed.consumed;
      left -= fed.consumed;
    }
  }
  EXPECT_EQ(Describe(nmea.record()), Describe(reference.nmea.record())) << what;
  return results;
}

// Whole streams (block scans and fast path anywhere in a call, delimiters beyond position 82),
// one line per call (sentences that end where the call ends: their last bytes are read one by
// one) and 37-byte pieces (sentences cut off by the end of a call).
TEST(NmeaBlockScan, SameAsTheByteLoop) {
  for (uint32_t seed : {1u, 2u, 3u, 4u}) {
    const std::string stream = MixedStream(seed, 3000);
    for (size_t size : {size_t{0}, stream.size(), size_t{37}}) {
      const std::string what = "seed " + std::to_string(seed) + ", pieces of " +
                               (size == 0 ? std::string("a line") : std::to_string(size));
      EXPECT_GT(ExpectSameAsByteMachine(stream, Pieces(stream, size), what), 150u) << what;
    }
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
