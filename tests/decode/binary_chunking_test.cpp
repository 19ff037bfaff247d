// Cutting the byte stream into pieces changes nothing: the same frames end, the same handlers run
// with the same data, whether the stream comes whole, byte by byte or in 7-byte pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "binary_test_support.h"

namespace vetra {
namespace {

using testing::Bytes;

class Lcg {
 public:
  explicit Lcg(uint32_t seed) : state_(seed) {}
  uint8_t Byte() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<uint8_t>(state_ >> 24);
  }
  int Below(int n) { return Byte() % n; }

 private:
  uint32_t state_;
};

// A payload for a row whose index fields land sometimes in range and sometimes out of it.
Bytes PayloadFor(const MessageRow& row, Lcg& rng) {
  Bytes p(static_cast<size_t>(row.length - 2));
  for (auto& b : p) b = rng.Byte();
  if (p.empty()) return p;
  switch (row.id) {
    case 0x83:
    case 0x84:
      p[1] = static_cast<uint8_t>(rng.Below(36));  // satellite 0..35
      break;
    case 0x85:
      p[0] = static_cast<uint8_t>(rng.Below(3));
      break;
    case 0x8D:
      p[0] = static_cast<uint8_t>(rng.Below(40));
      break;
    case 0xD2:
    case 0xD5:
      for (size_t at = 6; at < p.size(); at += 8) p[at] = static_cast<uint8_t>(rng.Below(70));
      break;
    default:
      break;
  }
  return p;
}

Bytes MixedStream(int frames) {
  Lcg rng(20080712);
  // Navigation replies are the common traffic; every row appears as well.
  const uint8_t navIds[] = {0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6};
  Bytes stream;
  for (int i = 0; i < frames; ++i) {
    const int row = i < kMessageRowCount ? i
                    : rng.Below(2)       ? FindMessageRow(kClassReply, navIds[rng.Below(7)])
                                         : rng.Below(kMessageRowCount);
    const MessageRow& r = kMessageTable[row];
    const uint8_t id = r.frameClass == kClassReply ? r.id : rng.Byte();
    Bytes frame = testing::Frame(r.frameClass, id, PayloadFor(r, rng));
    if (rng.Below(10) == 0) frame[frame.size() - 3] ^= 0x5A;      // wrong checksum
    if (rng.Below(10) == 0) frame.insert(frame.end() - 1, 0x0D);  // extra CR
    stream.insert(stream.end(), frame.begin(), frame.end());
    // Noise between frames: NMEA-like text, never a '%'.
    for (int n = rng.Below(4) == 0 ? rng.Below(20) : 0; n > 0; --n) {
      stream.push_back(static_cast<uint8_t>('0' + rng.Below(40)));
    }
  }
  return stream;
}

// What the handlers left behind after a frame, in a few fields of every kind of reply.
std::string Digest(TBinary& b) {
  const TNavRecord& r = b.record();
  char text[512];
  std::snprintf(text, sizeof text,
                "upd=%d %04d-%02d-%02d spd=%d lat=%.6f%c prn=%d,%d ch0=%d/%d clk=%u ut=%g "
                "mem=%d off=%u eph=%08x alm=%08x id=%d,%d cid=%s",
                r.updated, r.year, r.month, r.day, r.speedKmh, r.latitudeDeg,
                r.latitudeHemisphere ? r.latitudeHemisphere : '-', r.prnList[0], r.prnList[1],
                r.channels[0].cn0, r.channels[0].prn, r.clockValue, r.measurementUtc,
                b.replies().trace.totalSizeBytes, b.replies().clockOffset,
                b.stores().ephemeris.Get().receivedMask, b.stores().almanac.Get().receivedMask,
                b.stores().moduleId(0), b.stores().moduleId(1), b.stores().customizedId().c_str());
  return text;
}

std::vector<std::string> Transcript(const Bytes& stream, size_t piece) {
  ReceiverStores stores;
  testing::RecordingSink sink;
  TBinary binary(stores, &sink);
  const int ended = testing::FeedInPieces(binary, stream, piece, [&](const FrameFeed& fed) {
    sink.calls.push_back(std::string(fed.checksumOk ? "end ok " : "end bad ") + Digest(binary));
  });
  sink.calls.push_back(
      "ended " + std::to_string(ended) + " good " + std::to_string(binary.framesGood()) + " bad " +
      std::to_string(binary.framesBadChecksum()) + " bytes " + std::to_string(binary.bytesFed()));
  return sink.calls;
}

TEST(BinaryChunking, WholeOneByteAndSevenBytePiecesAgree) {
  const Bytes stream = MixedStream(400);
  const auto whole = Transcript(stream, stream.size());
  // The stream must exercise the parser: most frames end, some with a wrong checksum.
  size_t good = 0, bad = 0;
  for (const auto& line : whole) {
    good += line.rfind("end ok", 0) == 0;
    bad += line.rfind("end bad", 0) == 0;
  }
  EXPECT_GT(good, 300u);
  EXPECT_GT(bad, 10u);
  EXPECT_EQ(Transcript(stream, 1), whole);
  EXPECT_EQ(Transcript(stream, 7), whole);
}

}  // namespace
}  // namespace vetra
