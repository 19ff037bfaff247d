#include "link/frame_receiver.h"

#include <gtest/gtest.h>

#include <vector>

#include "link/frame.h"

namespace vetra {
namespace {

using Bytes = std::vector<uint8_t>;

FrameFeed FeedOnce(TFrameReceiver& rx, const Bytes& bytes) {
  return rx.Feed(bytes.data(), static_cast<int>(bytes.size()));
}

struct WireCase {
  const char* what;
  Bytes bytes;
  bool ended;
  bool checksumOk;
  int row;       // row of the ended frame; -1 when none ended
  int consumed;  // bytes the one call consumed
};

class FrameReceiverWire : public ::testing::TestWithParam<WireCase> {};

TEST_P(FrameReceiverWire, OneCall) {
  const WireCase& c = GetParam();
  TFrameReceiver rx;
  const FrameFeed fed = FeedOnce(rx, c.bytes);
  EXPECT_EQ(fed.ended, c.ended);
  EXPECT_EQ(fed.checksumOk, c.checksumOk);
  EXPECT_EQ(fed.consumed, c.consumed);
  EXPECT_EQ(rx.row(), c.row);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameReceiverWire,
    ::testing::Values(
        WireCase{"clock offset",
                 {0x25, 0x25, 0xF2, 0x82, 0x12, 0x34, 0x56, 0x0D, 0x0A},
                 true,
                 true,
                 2,
                 9},
        WireCase{"ack of command 09 matches the ACK row",
                 {0x25, 0x25, 0x06, 0x09, 0x0F, 0x0D, 0x0A},
                 true,
                 true,
                 19,
                 7},
        WireCase{
            "nack of command 01", {0x25, 0x25, 0x15, 0x01, 0x14, 0x0D, 0x0A}, true, true, 20, 7},
        WireCase{"accepted F2 50 without payload",
                 {0x25, 0x25, 0xF2, 0x50, 0xA2, 0x0D, 0x0A},
                 true,
                 true,
                 18,
                 7},
        WireCase{"wrong checksum still ends the frame",
                 {0x25, 0x25, 0xF2, 0x82, 0x12, 0x34, 0x57, 0x0D, 0x0A},
                 true,
                 false,
                 2,
                 9},
        WireCase{"extra CRs before the LF are skipped",
                 {0x25, 0x25, 0xF2, 0x82, 0x12, 0x34, 0x56, 0x0D, 0x0D, 0x0D, 0x0A},
                 true,
                 true,
                 2,
                 11},
        WireCase{"payload may hold %, CR and LF",
                 {0x25, 0x25, 0xF2, 0x82, 0x0D, 0x0A, 0x77, 0x0D, 0x0A},
                 true,
                 true,
                 2,
                 9},
        WireCase{"checksum byte may be %",
                 {0x25, 0x25, 0xF2, 0x82, 0x00, 0x55, 0x25, 0x0D, 0x0A},
                 true,
                 true,
                 2,
                 9},
        WireCase{"noise before the frame is skipped",
                 {'G', 'P', 0x0A, 0x25, 0x41, 0x25, 0x25, 0xF2, 0x82, 0x12, 0x34, 0x56, 0x0D, 0x0A},
                 true,
                 true,
                 2,
                 14},
        WireCase{"three % lose the frame",
                 {0x25, 0x25, 0x25, 0xF2, 0x82, 0x12, 0x34, 0x56, 0x0D, 0x0A},
                 false,
                 false,
                 -1,
                 10},
        WireCase{"unknown id F2 99 is dropped, the next frame is found",
                 {0x25, 0x25, 0xF2, 0x99, 0x6B, 0x0D, 0x0A, 0x25, 0x25, 0xF2, 0x82, 0x12, 0x34,
                  0x56, 0x0D, 0x0A},
                 true,
                 true,
                 2,
                 16},
        WireCase{"a host command F1 passes the class test but has no row",
                 {0x25, 0x25, 0xF1, 0x05, 0x01, 0x01, 0xF4, 0x0D, 0x0A},
                 false,
                 false,
                 -1,
                 9},
        WireCase{"class F3 is not received",
                 {0x25, 0x25, 0xF3, 0xE2, 0x11, 0x0D, 0x0A},
                 false,
                 false,
                 -1,
                 7},
        WireCase{"missing CR drops the frame",
                 {0x25, 0x25, 0xF2, 0x82, 0x12, 0x34, 0x56, 0x0A},
                 false,
                 false,
                 -1,
                 8},
        WireCase{"a byte other than CR or LF after the CR drops it",
                 {0x25, 0x25, 0xF2, 0x82, 0x12, 0x34, 0x56, 0x0D, 0x41, 0x0A},
                 false,
                 false,
                 -1,
                 10}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(FrameReceiver, ByteByByteEndsOnlyOnTheLf) {
  const Bytes frame = {0x25, 0x25, 0xF2, 0x82, 0x12, 0x34, 0x56, 0x0D, 0x0A};
  TFrameReceiver rx;
  for (size_t i = 0; i < frame.size(); ++i) {
    const FrameFeed fed = rx.Feed(&frame[i], 1);
    EXPECT_EQ(fed.consumed, 1) << "byte " << i;
    EXPECT_EQ(fed.ended, i + 1 == frame.size()) << "byte " << i;
  }
  EXPECT_EQ(rx.row(), 2);
  EXPECT_EQ(Bytes(rx.frame().begin(), rx.frame().end()), (Bytes{0xF2, 0x82, 0x12, 0x34}));
  EXPECT_EQ(rx.state(), TFrameReceiver::State::Idle);
}

TEST(FrameReceiver, TwoFramesInOneBufferTakeTwoCalls) {
  const Bytes two = {0x25, 0x25, 0x06, 0x09, 0x0F, 0x0D, 0x0A, 0x25,
                     0x25, 0xF2, 0x82, 0x12, 0x34, 0x56, 0x0D, 0x0A};
  TFrameReceiver rx;
  FrameFeed fed = FeedOnce(rx, two);
  ASSERT_TRUE(fed.ended);
  EXPECT_EQ(fed.consumed, 7);
  EXPECT_EQ(rx.row(), 19);
  fed = rx.Feed(two.data() + fed.consumed, static_cast<int>(two.size()) - fed.consumed);
  ASSERT_TRUE(fed.ended);
  EXPECT_TRUE(fed.checksumOk);
  EXPECT_EQ(fed.consumed, 9);
  EXPECT_EQ(rx.row(), 2);
}

TEST(FrameReceiver, NothingFedConsumesNothing) {
  TFrameReceiver rx;
  EXPECT_EQ(rx.Feed(nullptr, 5).consumed, 0);
  const uint8_t b = 0x25;
  EXPECT_EQ(rx.Feed(&b, 0).consumed, 0);
  EXPECT_EQ(rx.state(), TFrameReceiver::State::Idle);
}

// Every row receives its own frame, whatever the payload bytes, and hands back class, id and
// payload exactly. The payload is made of the bytes most likely to confuse a framer.
TEST(FrameReceiver, EveryRowReceivesItsFrame) {
  for (int row = 0; row < kMessageRowCount; ++row) {
    const MessageRow& r = kMessageTable[row];
    const uint8_t id = r.frameClass == kClassReply ? r.id : 0x42;
    Bytes payload(static_cast<size_t>(r.length - 2));
    const uint8_t awkward[] = {0x25, 0x0D, 0x0A, 0x25, 0x25};
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = awkward[i % sizeof awkward];
    uint8_t wire[kMaxFrameSize];
    const size_t n = BuildFrame(r.frameClass, id, payload, wire);
    ASSERT_GT(n, 0u);
    TFrameReceiver rx;
    const FrameFeed fed = rx.Feed(wire, static_cast<int>(n));
    ASSERT_TRUE(fed.ended) << "row " << row;
    EXPECT_TRUE(fed.checksumOk) << "row " << row;
    EXPECT_EQ(fed.consumed, static_cast<int>(n)) << "row " << row;
    EXPECT_EQ(rx.row(), row);
    Bytes expected = {r.frameClass, id};
    expected.insert(expected.end(), payload.begin(), payload.end());
    EXPECT_EQ(Bytes(rx.frame().begin(), rx.frame().end()), expected) << "row " << row;
  }
}

TEST(MessageTable, RowsSelectTheirHandlers) {
  struct Lookup {
    uint8_t frameClass, id;
    int row;
  };
  const Lookup lookups[] = {
      {0xF2, 0x80, 0},  {0xF2, 0x82, 2},  {0xF2, 0xD0, 6},  {0xF2, 0xD1, 7},  {0xF2, 0xD2, 8},
      {0xF2, 0xD3, 9},  {0xF2, 0x88, 11}, {0xF2, 0x86, 14}, {0xF2, 0x87, 15}, {0xF2, 0xD5, 16},
      {0xF2, 0xD6, 17}, {0xF2, 0x50, 18}, {0x06, 0x00, 19}, {0x06, 0xE2, 19}, {0x15, 0x09, 20},
      {0xF2, 0x8D, 21}, {0xF2, 0x8C, 22}, {0xF2, 0x99, -1}, {0xF1, 0x05, -1}, {0xF2, 0x06, -1},
  };
  for (const Lookup& l : lookups) {
    EXPECT_EQ(FindMessageRow(l.frameClass, l.id), l.row)
        << std::hex << int(l.frameClass) << " " << int(l.id);
  }
  EXPECT_EQ(kMessageTable[17].length, 202);
  EXPECT_EQ(kMessageTable[9].length, 154);
  EXPECT_EQ(kMessageTable[3].length, 124);
}

}  // namespace
}  // namespace vetra
