#include "sim/command_reader.h"

#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace vetra::sim {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<CommandFrame> FeedAll(CommandReader& reader, const Bytes& bytes) {
  std::vector<CommandFrame> frames;
  for (uint8_t b : bytes) {
    if (auto f = reader.Feed(b)) frames.push_back(*f);
  }
  return frames;
}

// Frames as the host's encoders send them.
TEST(CommandReader, ReadsTheHostsFrames) {
  struct Row {
    const char* what;
    Bytes bytes;
    uint8_t cls;
    uint8_t id;
    size_t payloadSize;
  } rows[] = {
      {"query revision", {0x25, 0x25, 0xf1, 0x05, 0x01, 0x01, 0xf4, 0x0d, 0x0a}, 0xF1, 0x05, 2},
      {"restart",
       {0x25, 0x25, 0xf1, 0x01, 0x00, 0x01, 0xbc, 0x07, 0x01, 0x01, 0x00, 0x00,
        0x00, 0x00, 0x39, 0x13, 0xea, 0xcf, 0x00, 0x00, 0x45, 0x0d, 0x0a},
       0xF1,
       0x01,
       16},
      {"configure NMEA",
       {0x25, 0x25, 0xf1, 0x04, 0x01, 0x01, 0x00, 0x01, 0x01, 0x01, 0x00, 0x00, 0xf4, 0x0d, 0x0a},
       0xF1,
       0x04,
       8},
      {"query system setting", {0x25, 0x25, 0xf1, 0x18, 0x00, 0xe9, 0x0d, 0x0a}, 0xF1, 0x18, 1},
      {"user command", {0x25, 0x25, 0xf3, 0xe2, 0x11, 0x0d, 0x0a}, 0xF3, 0xE2, 0},
      {"trace clear (9 bytes)",
       {0x25, 0x25, 0xf1, 0x1f, 0x01, 0x00, 0xef, 0x0d, 0x0a},
       0xF1,
       0x1F,
       2},
      {"trace record (8 bytes)", {0x25, 0x25, 0xf1, 0x1d, 0x01, 0xed, 0x0d, 0x0a}, 0xF1, 0x1D, 1},
      {"erase", {0x25, 0x25, 0xf1, 0x73, 0x82, 0x0d, 0x0a}, 0xF1, 0x73, 0},
  };
  for (const Row& row : rows) {
    CommandReader reader;
    const auto frames = FeedAll(reader, row.bytes);
    ASSERT_EQ(frames.size(), 1u) << row.what;
    EXPECT_EQ(frames[0].frameClass, row.cls) << row.what;
    EXPECT_EQ(frames[0].id, row.id) << row.what;
    EXPECT_EQ(frames[0].payload.size(), row.payloadSize) << row.what;
    EXPECT_EQ(reader.state(), CommandReader::State::Idle) << row.what;
  }
}

TEST(CommandReader, LineEndsInsideAPayloadDoNotEndTheFrame) {
  // Load Ephemeris: 120 bytes of data that contain "cs CR LF" patterns.
  Bytes payload = {0x03, 0x00};
  for (int i = 0; i < 120; ++i) payload.push_back(static_cast<uint8_t>(i));
  payload[10] = 0x0D;
  payload[11] = 0x0A;
  const Bytes frame = test::CommandBytes(0xF1, 0x0A, payload);
  ASSERT_EQ(frame.size(), 129u);
  CommandReader reader;
  const auto frames = FeedAll(reader, frame);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].payload, payload);
}

TEST(CommandReader, BothFormsOfTheTraceCommandsAreRead) {
  CommandReader reader;
  const Bytes longRecord = test::CommandBytes(0xF1, 0x1D, {0x03, 0x01, 0, 0, 5, 0, 0xFF, 0xFF});
  const Bytes longRead = test::CommandBytes(0xF1, 0x1E, {0x02, 0x01, 0, 0, 0x01, 0x03, 0});
  const Bytes shortRead = test::CommandBytes(0xF1, 0x1E, {0x01, 0x05, 0x00});
  Bytes all = longRecord;
  all.insert(all.end(), longRead.begin(), longRead.end());
  all.insert(all.end(), shortRead.begin(), shortRead.end());
  const auto frames = FeedAll(reader, all);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].payload.size(), 8u);
  EXPECT_EQ(frames[1].payload.size(), 7u);
  EXPECT_EQ(frames[2].payload.size(), 3u);
}

TEST(CommandReader, UnknownIdEndsAtTheFirstMatchingChecksum) {
  CommandReader reader;
  const auto frames = FeedAll(reader, test::CommandBytes(0xF1, 0x1A, {0x07, 0x0D, 0x0A, 0x01}));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].id, 0x1A);
  EXPECT_EQ(frames[0].payload, (Bytes{0x07, 0x0D, 0x0A, 0x01}));
}

TEST(CommandReader, BadFramesAreDroppedAndTheNextOneIsFound) {
  CommandReader reader;
  Bytes bad = {0x25, 0x25, 0xf1, 0x05, 0x01, 0x01, 0xf5, 0x0d, 0x0a};  // checksum off by one
  Bytes good = {0x25, 0x25, 0xf1, 0x17, 0x00, 0xe6, 0x0d, 0x0a};
  Bytes all = {'$', 'G', 'P', 0x25, 0x41};  // noise, a lone '%'
  all.insert(all.end(), bad.begin(), bad.end());
  all.insert(all.end(), good.begin(), good.end());
  const auto frames = FeedAll(reader, all);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].id, 0x17);
  EXPECT_EQ(reader.framesDropped(), 1u);
}

TEST(CommandReader, ReceiverFramesAreNotCommands) {
  CommandReader reader;
  EXPECT_TRUE(FeedAll(reader, {0x25, 0x25, 0xf2, 0x82, 0x12, 0x34, 0x56, 0x0d, 0x0a}).empty());
  EXPECT_TRUE(FeedAll(reader, {0x25, 0x25, 0x06, 0x09, 0x0f, 0x0d, 0x0a}).empty());
}

TEST(CommandReader, AnUnendedUnknownFrameIsGivenUp) {
  CommandReader reader;
  Bytes endless = {0x25, 0x25, 0xF1, 0x99};
  endless.insert(endless.end(), 300, 0x41);
  EXPECT_TRUE(FeedAll(reader, endless).empty());
  EXPECT_EQ(reader.framesDropped(), 1u);
  EXPECT_EQ(FeedAll(reader, test::CommandBytes(0xF1, 0x05, {1, 1})).size(), 1u);
}

}  // namespace
}  // namespace vetra::sim
