// Query replies: revision, self test, clock offset, stores, IDs, trace status, settings, ACK/NACK.
#include <gtest/gtest.h>

#include <string>

#include "binary_test_support.h"

namespace vetra {
namespace {

using testing::Bytes;
using testing::Put;
using testing::Reply;
using Calls = std::vector<std::string>;

struct Fixture {
  ReceiverStores stores;
  testing::RecordingSink sink;
  TBinary binary{stores, &sink};
  int Feed(const Bytes& stream) { return testing::FeedAll(binary, stream); }
};

TEST(BinaryReplies, ClockOffsetFrameFromTheWire) {
  Fixture f;
  f.Feed({0x25, 0x25, 0xF2, 0x82, 0x12, 0x34, 0x56, 0x0D, 0x0A});
  EXPECT_EQ(f.binary.replies().clockOffset, 0x3412);
  EXPECT_EQ(f.sink.calls, Calls{"clockOffset"});
  EXPECT_EQ(f.binary.framesGood(), 1u);
  EXPECT_EQ(f.binary.bytesFed(), 9u);
}

TEST(BinaryReplies, RevisionBlock) {
  Bytes p(22, 0);
  const std::string label = "K700_REV_1.2";
  std::copy(label.begin(), label.end(), p.begin());
  Put<uint32_t>(p, 12, 0x00080712);
  Put<uint32_t>(p, 16, 0x00153045);
  Put<uint16_t>(p, 20, 0xBEEF);
  Fixture f;
  f.Feed(Reply(0x80, p));
  const RevisionBlock& rev = f.binary.replies().revision;
  EXPECT_EQ(std::string(rev.label, 12), label);
  EXPECT_EQ(rev.date, 0x00080712u);
  EXPECT_EQ(rev.time, 0x00153045u);
  EXPECT_EQ(rev.crc, 0xBEEF);
  EXPECT_EQ(f.sink.calls, Calls{"revision"});
}

TEST(BinaryReplies, SelfTestResultsAreZeroExtended) {
  Bytes p(16, 0x77);
  Put<uint16_t>(p, 0, 100);
  Put<uint16_t>(p, 2, 0xFFFF);
  Put<uint16_t>(p, 4, 0);
  Put<uint16_t>(p, 6, 99);
  Fixture f;
  f.Feed(Reply(0x81, p));
  const int32_t* r = f.binary.replies().selfTest;
  EXPECT_EQ(r[0], 100);
  EXPECT_EQ(r[1], 65535);  // not the nothing-to-show -1
  EXPECT_EQ(r[2], 0);
  EXPECT_EQ(r[3], 99);
  EXPECT_EQ(f.sink.calls, Calls{"selfTest"});
}

Bytes SlotReply(uint8_t expected, uint8_t satellite, size_t slotSize) {
  Bytes p(2 + slotSize);
  p[0] = expected;
  p[1] = satellite;
  for (size_t i = 0; i < slotSize; ++i) p[2 + i] = static_cast<uint8_t>(i + satellite);
  return p;
}

TEST(BinaryReplies, EphemerisSatelliteIndexIsChecked) {
  Fixture f;
  f.Feed(Reply(0x83, SlotReply(31, 32, 120)));
  auto eph = f.stores.ephemeris.Get();
  EXPECT_EQ(eph.receivedMask, 1u << 31);
  EXPECT_EQ(eph.expectedCount, 31);
  EXPECT_EQ(eph.slots[31][0], 32);
  EXPECT_EQ(eph.slots[31][119], 119 + 32);
  EXPECT_EQ(f.sink.calls, Calls{"ephemeris"});

  for (uint8_t bad : {0, 33, 255}) {
    f.Feed(Reply(0x83, SlotReply(7, bad, 120)));
    eph = f.stores.ephemeris.Get();
    EXPECT_EQ(eph.receivedMask, 1u << 31) << int(bad);
    EXPECT_EQ(eph.expectedCount, 31) << int(bad);
  }
  EXPECT_EQ(f.sink.calls.size(), 1u);  // ignored frames refresh nothing
}

TEST(BinaryReplies, AlmanacSatellite) {
  Fixture f;
  f.Feed(Reply(0x84, SlotReply(32, 1, 48)));
  f.Feed(Reply(0x84, SlotReply(32, 33, 48)));
  const auto alm = f.stores.almanac.Get();
  EXPECT_EQ(alm.receivedMask, 1u);
  EXPECT_EQ(alm.slots[0][47], 48);
  EXPECT_EQ(f.sink.calls, Calls{"almanac"});
}

TEST(BinaryReplies, ModuleIdSelector) {
  Fixture f;
  Bytes p(5);
  p[0] = 1;
  Put<int32_t>(p, 1, -123456);
  f.Feed(Reply(0x85, p));
  p[0] = 0;
  Put<int32_t>(p, 1, 42);
  f.Feed(Reply(0x85, p));
  p[0] = 2;
  Put<int32_t>(p, 1, 7);
  f.Feed(Reply(0x85, p));
  EXPECT_EQ(f.stores.moduleId(0), 42);
  EXPECT_EQ(f.stores.moduleId(1), -123456);
  EXPECT_EQ(f.sink.calls, (Calls{"moduleId", "moduleId"}));
}

Bytes CustomizedId(uint8_t length, const std::string& text) {
  Bytes p(33, 0);
  p[0] = length;
  std::copy(text.begin(), text.end(), p.begin() + 1);
  return p;
}

TEST(BinaryReplies, CustomizedIdLength) {
  Fixture f;
  f.Feed(Reply(0x8D, CustomizedId(5, "VETRA-XYZ")));
  EXPECT_EQ(f.stores.customizedId(), "VETRA");
  const std::string full(32, 'Q');
  f.Feed(Reply(0x8D, CustomizedId(32, full)));
  EXPECT_EQ(f.stores.customizedId(), full);
  f.Feed(Reply(0x8D, CustomizedId(33, "ignored")));
  EXPECT_EQ(f.stores.customizedId(), full);
  f.Feed(Reply(0x8D, CustomizedId(0, "")));
  EXPECT_EQ(f.stores.customizedId(), "");
  f.Feed(Reply(0x8D, CustomizedId(6, std::string("AB\0CDE", 6))));
  EXPECT_EQ(f.stores.customizedId(), "AB");  // a zero ends the text
  EXPECT_EQ(f.sink.calls.size(), 4u);
}

TEST(BinaryReplies, TestResult) {
  Fixture f;
  f.Feed(Reply(0x8C, {3, 0, 0, 0, 0}));
  EXPECT_TRUE(f.stores.testFailed());
  f.Feed(Reply(0x8C, {0, 9, 9, 9, 9}));
  EXPECT_FALSE(f.stores.testFailed());
  EXPECT_EQ(f.sink.calls, (Calls{"testResult", "testResult"}));
}

Bytes TraceStatusFull(uint8_t sizeCode, uint16_t minSpeedRaw) {
  Bytes p(18, 0);
  p[0] = 1;
  p[1] = sizeCode;
  p[2] = 57;
  Put<int32_t>(p, 3, 12345);
  p[11] = 0x05;
  Put<uint16_t>(p, 12, 30);
  Put<uint16_t>(p, 14, 500);
  Put<uint16_t>(p, 16, minSpeedRaw);
  return p;
}

TEST(BinaryReplies, TraceStatusWithConfiguration) {
  Fixture f;
  f.Feed(Reply(0x89, TraceStatusFull(0x11, 100)));
  const TraceStatus& s = f.binary.replies().trace;
  EXPECT_EQ(s.state, 1);
  EXPECT_EQ(s.totalSizeBytes, 114688);
  EXPECT_EQ(s.usedPercent, 57);
  EXPECT_EQ(s.recordsLogged, 12345);
  EXPECT_EQ(s.optionFlags, 5);
  EXPECT_EQ(s.minTimeSeconds, 30);
  EXPECT_EQ(s.minDistanceM, 500);
  EXPECT_EQ(s.minSpeedKmh, 36);
  EXPECT_EQ(s.minSpeedRaw, 100);
  EXPECT_EQ(f.sink.calls, Calls{"traceFull"});
}

TEST(BinaryReplies, TraceMemorySizeCodes) {
  struct Case {
    uint8_t code;
    int32_t bytes;
  };
  const Case cases[] = {
      {0x11, 114688},
      {0x22, 245760},
      {0x21, (64 + 128 - 16) * 1024},
      {0x00, (32 + 32 - 16) * 1024},  // a nibble of 0 adds 2^-1 x 64 = 32
      {0x10, (64 + 32 - 16) * 1024},
      {0xFF, 2147467264},  // the largest code still fits 32 bits
  };
  for (const Case& c : cases)
    EXPECT_EQ(TraceMemoryBytes(c.code), c.bytes) << std::hex << int(c.code);
}

TEST(BinaryReplies, TraceMinimumSpeed) {
  struct Case {
    uint16_t raw;
    int32_t kmh;
  };
  for (const Case& c : {Case{100, 36}, Case{14, 5}, Case{0, 0}, Case{1, 0}, Case{65535, 23593}}) {
    EXPECT_EQ(TraceMinSpeedKmh(c.raw), c.kmh) << c.raw;
  }
}

TEST(BinaryReplies, ShortTraceStatusKeepsTheConfiguration) {
  Fixture f;
  f.Feed(Reply(0x89, TraceStatusFull(0x22, 14)));
  Bytes p(11, 0xEE);
  p[0] = 2;
  p[2] = 99;
  Put<int32_t>(p, 3, 7);
  f.Feed(Reply(0x8A, p));
  const TraceStatus& s = f.binary.replies().trace;
  EXPECT_EQ(s.state, 2);
  EXPECT_EQ(s.usedPercent, 99);
  EXPECT_EQ(s.recordsLogged, 7);
  EXPECT_EQ(s.totalSizeBytes, 245760);
  EXPECT_EQ(s.minSpeedKmh, 5);
  EXPECT_EQ(f.sink.calls, (Calls{"traceFull", "traceShort"}));
}

TEST(BinaryReplies, PayloadsHandedToTheSink) {
  Fixture f;
  Bytes nav(18, 0);
  nav[0] = 1;
  nav[1] = 2;
  Bytes sys(48, 0);
  sys[0] = 5;
  Bytes trace(20, 0);
  trace[0] = 0x25;
  f.Feed(Reply(0x86, nav));
  f.Feed(Reply(0x87, sys));
  f.Feed(Reply(0x88, trace));
  EXPECT_EQ(f.sink.calls, (Calls{"nav 18 1 2 0 0", "sys 48 5 0 0 0", "trace 20 37 0 0 0"}));
}

TEST(BinaryReplies, AckNackAndAccepted) {
  Fixture f;
  f.Feed({0x25, 0x25, 0x06, 0x09, 0x0F, 0x0D, 0x0A});
  f.Feed(testing::Frame(kClassNack, 0xE2, {}));
  f.Feed(Reply(0x50, {}));
  EXPECT_EQ(f.sink.calls, (Calls{"ack 9", "nack 226"}));
  EXPECT_EQ(f.binary.framesGood(), 3u);
}

TEST(BinaryReplies, BadChecksumRunsNoHandler) {
  Fixture f;
  EXPECT_EQ(f.Feed({0x25, 0x25, 0xF2, 0x82, 0x12, 0x34, 0x57, 0x0D, 0x0A}), 1);
  EXPECT_EQ(f.binary.replies().clockOffset, 0);
  EXPECT_TRUE(f.sink.calls.empty());
  EXPECT_EQ(f.binary.framesBadChecksum(), 1u);
  EXPECT_EQ(f.binary.framesGood(), 0u);
}

TEST(BinaryReplies, WithoutASinkHandlersStillStore) {
  ReceiverStores stores;
  TBinary binary(stores);
  testing::FeedAll(binary, {0x25, 0x25, 0xF2, 0x82, 0x12, 0x34, 0x56, 0x0D, 0x0A});
  EXPECT_EQ(binary.replies().clockOffset, 0x3412);
}

}  // namespace
}  // namespace vetra
