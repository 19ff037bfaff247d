#include "trace/trace_scanner.h"

#include <gtest/gtest.h>

#include "trace_test_helpers.h"

namespace vetra {
namespace {

using test::SampleRecord;
using test::TraceFrame;

std::vector<int> ScanTimes(const std::vector<uint8_t>& stream, size_t piece) {
  TTraceScanner scanner;
  std::vector<int> times;
  for (size_t at = 0; at < stream.size(); at += piece) {
    const size_t n = std::min(piece, stream.size() - at);
    scanner.Feed({stream.data() + at, n},
                 [&](auto payload) { times.push_back(DecodeTraceRecord(payload).timeField); });
  }
  return times;
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

TEST(TraceScanner, FindsRecordsAmongOtherOutputInAnyPieces) {
  std::vector<uint8_t> stream;
  const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
  Append(stream, {gga.begin(), gga.end()});
  Append(stream, TraceFrame(SampleRecord(100)));
  // An ACK and a status-with-configuration reply are no records.
  Append(stream, {0x25, 0x25, 0x06, 0x1E, 0x18, 0x0D, 0x0A});
  std::vector<uint8_t> status(18 + kFrameOverhead);
  BuildFrame(kClassReply, 0x89, std::vector<uint8_t>(18, 0x25), status);
  Append(stream, status);
  Append(stream, TraceFrame(SampleRecord(101)));
  // A stray '%' makes "%%%" with the record's own "%%": the third is taken as the class byte and
  // the record is lost.
  Append(stream, {0x25});
  Append(stream, TraceFrame(SampleRecord(102)));
  Append(stream, TraceFrame(SampleRecord(103)));

  for (size_t piece : {size_t{1}, size_t{7}, size_t{1024}, stream.size()}) {
    EXPECT_EQ(ScanTimes(stream, piece), (std::vector<int>{100, 101, 103})) << "pieces of " << piece;
  }
}

TEST(TraceScanner, DropsDamagedFrames) {
  auto bad = TraceFrame(SampleRecord(7));
  bad[10] ^= 0x40;  // a payload byte changed on the way
  auto noCr = TraceFrame(SampleRecord(8));
  noCr[noCr.size() - 2] = 'x';
  auto noLf = TraceFrame(SampleRecord(9));
  noLf.back() = 0x0D;

  std::vector<uint8_t> stream;
  Append(stream, bad);
  Append(stream, noCr);
  Append(stream, noLf);
  Append(stream, TraceFrame(SampleRecord(10)));
  TTraceScanner scanner;
  std::vector<int> times;
  scanner.Feed(stream, [&](auto p) { times.push_back(DecodeTraceRecord(p).timeField); });
  EXPECT_EQ(times, std::vector<int>{10});
  EXPECT_EQ(scanner.badChecksums(), 1u);
}

TEST(TraceRecordLayout, DecodesDateTimeAndFields) {
  uint8_t payload[kTracePayloadSize] = {0x21, 0x3A, 0x50, 0x46, 0x80, 0x7B, 0xE1, 0xFF, 0x01, 0x00,
                                        0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x99, 0x05, 0x33};
  const TraceRecord r = DecodeTraceRecord(std::span<const uint8_t, kTracePayloadSize>(payload));
  EXPECT_EQ(r.year, 2009);
  EXPECT_EQ(r.month, 1);
  EXPECT_EQ(r.day, 1);
  EXPECT_EQ(r.timeField, 18000);
  EXPECT_EQ(r.x, -2000000);
  EXPECT_EQ(r.y, 1);
  EXPECT_EQ(r.z, -1);
  EXPECT_EQ(r.value, -2);
  EXPECT_EQ(r.statusNumber(), 0x0305 & 0x02FF);
  EXPECT_EQ(r.flag13(), 1);
  EXPECT_EQ(r.flag12(), 1);
}

}  // namespace
}  // namespace vetra
