// The module's answers to commands: ACK, NACK, query replies and what commands change.
#include <gtest/gtest.h>

#include <cstdio>

#include "sim/receiver_module.h"
#include "sim_test_support.h"

namespace vetra::sim {
namespace {

using Bytes = std::vector<uint8_t>;
using test::CommandBytes;
using test::Frame;
using test::ModuleDriver;

constexpr int64_t kStartUtcMs = 1710419719400;

// Sends one command between epochs and returns the frames it caused.
std::vector<Frame> Answer(ReceiverModule& module, const Bytes& command) {
  module.Receive(command, 0.1);  // before the first epoch: only the answer is queued
  Bytes out;
  while (module.output().Take(1 << 16, out) > 0 || module.output().TakeBaudChange() != 0) {
  }
  return test::ScanFrames(out);
}

uint16_t U16(const Bytes& p, size_t at) { return static_cast<uint16_t>(p[at] | p[at + 1] << 8); }
uint32_t U32(const Bytes& p, size_t at) {
  return p[at] | p[at + 1] << 8 | p[at + 2] << 16 | static_cast<uint32_t>(p[at + 3]) << 24;
}

TEST(ReceiverCommands, QueriesGetAnAckThenTheirReply) {
  struct Row {
    const char* what;
    Bytes command;
    uint8_t replyId;
    size_t payloadSize;
  } rows[] = {
      {"revision", {0x25, 0x25, 0xf1, 0x05, 0x01, 0x01, 0xf4, 0x0d, 0x0a}, 0x80, 22},
      {"clock offset", CommandBytes(0xF1, 0x06, {0, 0, 0, 0}), 0x82, 2},
      {"built-in test", CommandBytes(0xF1, 0x07, {2}), 0x81, 16},
      {"module ID", CommandBytes(0xF1, 0x0E, {1}), 0x85, 5},
      {"customized ID", CommandBytes(0xF1, 0x16, Bytes(34, 0)), 0x8D, 33},
      {"navigation settings", {0x25, 0x25, 0xf1, 0x17, 0x00, 0xe6, 0x0d, 0x0a}, 0x86, 18},
      {"system settings", {0x25, 0x25, 0xf1, 0x18, 0x00, 0xe9, 0x0d, 0x0a}, 0x87, 48},
      {"trace status", CommandBytes(0xF1, 0x1F, {0, 0}), 0x8A, 11},
      {"trace status and setup", CommandBytes(0xF1, 0x1F, {2, 0, 0, 0, 0, 0, 0, 0}), 0x89, 18},
      {"trace test", CommandBytes(0xF1, 0x1F, {4, 0, 0, 0, 0, 0, 0, 0}), 0x8C, 5},
  };
  for (const Row& row : rows) {
    ReceiverModule module(SimOptions{}, kStartUtcMs);
    const auto frames = Answer(module, row.command);
    ASSERT_EQ(frames.size(), 2u) << row.what;
    EXPECT_EQ(frames[0].frameClass, 0x06) << row.what;
    EXPECT_EQ(frames[0].id, row.command[3]) << row.what;
    EXPECT_EQ(frames[1].frameClass, 0xF2) << row.what;
    EXPECT_EQ(frames[1].id, row.replyId) << row.what;
    EXPECT_EQ(frames[1].payload.size(), row.payloadSize) << row.what;
  }
}

TEST(ReceiverCommands, RevisionDateIsBcdOnTheK700AndDecimalOnTheK900) {
  const Bytes query = {0x25, 0x25, 0xf1, 0x05, 0x01, 0x01, 0xf4, 0x0d, 0x0a};
  ReceiverModule k700(SimOptions{}, kStartUtcMs);
  const Bytes p = Answer(k700, query)[1].payload;
  const uint32_t date = U32(p, 12);
  char text[16];
  std::snprintf(text, sizeof text, "%02x/%02x/%02x", date >> 16, (date >> 8) & 0xFF, date & 0xFF);
  EXPECT_STREQ(text, "23/11/14");
  EXPECT_EQ(std::string(p.begin(), p.begin() + 12), "K700FW V1.5 ");

  SimOptions options;
  options.chip = Chip::K900;
  ReceiverModule k900(options, kStartUtcMs);
  const Bytes q = Answer(k900, query)[1].payload;
  EXPECT_EQ(U32(q, 12), 20231114u);
  EXPECT_EQ(U32(q, 16), 93012u);
}

TEST(ReceiverCommands, ConnectionTestReportsAGoodLine) {
  ReceiverModule module(SimOptions{}, kStartUtcMs);
  const Bytes p = Answer(module, CommandBytes(0xF1, 0x07, {2}))[1].payload;
  EXPECT_EQ(U16(p, 0), 100);
  EXPECT_EQ(U16(p, 2), 100);
  EXPECT_EQ(U16(p, 6), 100);
}

TEST(ReceiverCommands, SetThenQueryRoundTrips) {
  ReceiverModule module(SimOptions{}, kStartUtcMs);
  // User key ID 0x01020304, then query it.
  Answer(module, CommandBytes(0xF1, 0x0D, {1, 4, 3, 2, 1, 0, 0, 0, 0}));
  const Bytes id = Answer(module, CommandBytes(0xF1, 0x0E, {1}))[1].payload;
  EXPECT_EQ(id[0], 1);
  EXPECT_EQ(U32(id, 1), 0x01020304u);
  // Customized ID "AB".
  Bytes set = {1, 2, 'A', 'B'};
  set.resize(34, 0);
  EXPECT_EQ(Answer(module, CommandBytes(0xF1, 0x16, set))[0].frameClass, 0x06);
  const Bytes cid = Answer(module, CommandBytes(0xF1, 0x16, Bytes(34, 0)))[1].payload;
  EXPECT_EQ(cid[0], 2);
  EXPECT_EQ(cid[1], 'A');
  EXPECT_EQ(cid[2], 'B');
  EXPECT_EQ(cid[3], 0);
  // Elevation mask 12 and 1PPS on show in the navigation settings.
  Answer(module, CommandBytes(0xF1, 0x10, {12}));
  Answer(module, CommandBytes(0xF1, 0x12, {2, 2, 5}));
  const Bytes nav = Answer(module, CommandBytes(0xF1, 0x17, {0}))[1].payload;
  EXPECT_EQ(nav[5], 12);
  EXPECT_EQ(nav[7], 2);
  EXPECT_EQ(nav[8], 2);
  EXPECT_EQ(nav[9], 5);
  // Configure NMEA with GLL on and no checksum shows in the system settings.
  Answer(module, CommandBytes(0xF1, 0x04, {0, 1, 1, 1, 1, 1, 1, 0}));
  const Bytes sys = Answer(module, CommandBytes(0xF1, 0x18, {0}))[1].payload;
  EXPECT_EQ(sys[0], 0);  // COM1 at 4800: code 0
  EXPECT_EQ(sys[2], 0);
  EXPECT_EQ(sys[8], 1);   // GLL period
  EXPECT_EQ(sys[10], 1);  // NMEA output
}

TEST(ReceiverCommands, RefusedValuesAndUnknownIdsGetANack) {
  struct Row {
    const char* what;
    Bytes command;
  } rows[] = {
      {"unknown id 1Ah", CommandBytes(0xF1, 0x1A, {0})},
      {"DOP mask mode 7", CommandBytes(0xF1, 0x0F, {7, 25, 20, 15})},
      {"baud code 9", CommandBytes(0xF1, 0x02, {0, 9, 0, 0, 0, 0, 0, 0})},
      {"DGPS without a choice", CommandBytes(0xF1, 0x11, {0xFF, 0})},
      {"update rate 0", CommandBytes(0xF1, 0x20, {0})},
      {"factory default without MXTR", CommandBytes(0xF1, 0x08, {'M', 'X', 'T', 'X'})},
      {"restart mode 9",
       CommandBytes(0xF1, 0x01, Bytes{1, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
      {"block action 5 on the K700", CommandBytes(0xF1, 0xE1, {5, 1, 0, 0, 0})},
      {"erase outside a load", {0x25, 0x25, 0xF1, 0x73, 0x82, 0x0D, 0x0A}},
  };
  for (const Row& row : rows) {
    ReceiverModule module(SimOptions{}, kStartUtcMs);
    const auto frames = Answer(module, row.command);
    ASSERT_EQ(frames.size(), 1u) << row.what;
    EXPECT_EQ(frames[0].frameClass, 0x15) << row.what;
    EXPECT_EQ(frames[0].id, row.command[3]) << row.what;
  }
}

TEST(ReceiverCommands, EveryCommandOfTheHostIsAcknowledged) {
  const Bytes commands[] = {
      CommandBytes(0xF1, 0x03, {0, 0, 0x9C, 0xFF, 0, 0, 0, 0}),
      CommandBytes(0xF1, 0x0A,
                   [] {
                     Bytes p = {3, 0};
                     p.resize(122, 0x11);
                     return p;
                   }()),
      CommandBytes(0xF1, 0x0F, {1, 25, 20, 15}),
      CommandBytes(0xF1, 0x11, {1, 0}),
      CommandBytes(0xF1, 0x13, {0x01}),
      CommandBytes(0xF1, 0x14, {0xFF, 0xFF, 1, 0}),
      CommandBytes(0xF1, 0x19, {0, 0xF8, 0xE2, 0, 1}),
      CommandBytes(0xF1, 0x1B, {0,    0,    0,    0x40, 0xa6, 0x54, 0x58, 0x41, 0x88, 0x6d, 0x74,
                                0x96, 0x1d, 0xa4, 0x72, 0x40, 0,    0,    0,    0,    0,    0}),
      CommandBytes(0xF1, 0x1C, {0, 3, 0, 0, 0, 3, 0x0c, 0x30, 0, 5, 0, 0, 0, 5, 0x14, 0x50, 0}),
      CommandBytes(0xF1, 0x1D, {1}),
      CommandBytes(0xF1, 0x1F, {1, 0}),
      CommandBytes(0xF1, 0x20, {5}),
      CommandBytes(0xF1, 0x21, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}),
      CommandBytes(0xF1, 0xE1, {0, 1, 0, 0, 0x80}),
      {0x25, 0x25, 0xf3, 0xe2, 0x11, 0x0d, 0x0a},
  };
  for (const Bytes& command : commands) {
    ReceiverModule module(SimOptions{}, kStartUtcMs);
    const auto frames = Answer(module, command);
    ASSERT_EQ(frames.size(), 1u) << std::hex << int(command[3]);
    EXPECT_EQ(frames[0].frameClass, 0x06) << std::hex << int(command[3]);
    EXPECT_EQ(frames[0].id, command[3]);
  }
}

TEST(ReceiverCommands, FaultsSilenceOrRefuseEverything) {
  const Bytes query = CommandBytes(0xF1, 0x17, {0});
  FaultSwitches faults;
  ReceiverModule module(SimOptions{}, kStartUtcMs, &faults);
  faults.nackAll = true;
  auto frames = Answer(module, query);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].frameClass, 0x15);
  faults.nackAll = false;
  faults.ignoreCommands = true;
  EXPECT_TRUE(Answer(module, query).empty());
  faults.ignoreCommands = false;
  faults.corruptChecksums = true;
  module.Receive(query, 0.1);
  Bytes out;
  module.output().Take(1 << 16, out);
  int bad = 0;
  EXPECT_TRUE(test::ScanFrames(out, &bad).empty());
  EXPECT_EQ(bad, 2);
}

TEST(ReceiverCommands, ABadChecksumIsIgnored) {
  ReceiverModule module(SimOptions{}, kStartUtcMs);
  EXPECT_TRUE(Answer(module, {0x25, 0x25, 0xf1, 0x05, 0x01, 0x01, 0xf5, 0x0d, 0x0a}).empty());
  EXPECT_EQ(module.framesDropped(), 1u);
}

TEST(ReceiverCommands, ConfigureIoChangesTheRateAfterTheAck) {
  ReceiverModule module(SimOptions{}, kStartUtcMs);
  module.Receive(CommandBytes(0xF1, 0x02, {0, 5, 0, 0, 0, 0, 0, 0}), 0.1);
  Bytes out;
  EXPECT_EQ(module.output().Take(1 << 16, out), 7u);  // the ACK, then the change
  EXPECT_EQ(module.baud(), 4800);
  EXPECT_EQ(module.output().TakeBaudChange(), 115200);
  EXPECT_EQ(module.settings().baud, 115200);
}

TEST(ReceiverCommands, OutputFormatAndRateCommandsChangeTheEpochs) {
  ReceiverModule module(SimOptions{}, kStartUtcMs);
  ModuleDriver driver(module);
  driver.Send(CommandBytes(0xF1, 0x13, {0x02}));  // binary
  driver.Send(CommandBytes(0xF1, 0x20, {5}));     // 5 Hz
  const auto bytes = driver.RunUntil(2.05, 0.01);
  int navFixes = 0;
  for (const Frame& f : test::ScanFrames(bytes)) navFixes += f.id == 0xD0;
  EXPECT_EQ(navFixes, 8);                        // 0.6 s to 2.0 s in steps of 0.2 s
  EXPECT_EQ(test::Sentences(bytes).size(), 1u);  // only the revision sentence
}

TEST(ReceiverCommands, FactoryDefaultRestoresTheStartSettings) {
  ReceiverModule module(SimOptions{}, kStartUtcMs);
  Answer(module, CommandBytes(0xF1, 0x10, {30}));
  Answer(module, CommandBytes(0xF1, 0x13, {0x02}));
  Answer(module, CommandBytes(0xF1, 0x08, {'M', 'X', 'T', 'R'}));
  EXPECT_EQ(module.settings().elevationMaskDeg, 5);
  EXPECT_EQ(module.settings().output, OutputFormat::Nmea);
}

TEST(ReceiverCommands, BlockedSatellitesAreNotUsed) {
  SimOptions options;
  options.firstFixSeconds = 0;
  ReceiverModule module(options, kStartUtcMs);
  const EpochReport before = module.ReportAt(20, kStartUtcMs + 20000);
  int prn = 0;
  for (const ChannelReport& c : before.channels) {
    if (c.used) prn = c.prn;
  }
  ASSERT_NE(prn, 0);
  const uint32_t mask = 1u << (prn - 1);
  Answer(module,
         CommandBytes(0xF1, 0xE1,
                      {2, static_cast<uint8_t>(mask), static_cast<uint8_t>(mask >> 8),
                       static_cast<uint8_t>(mask >> 16), static_cast<uint8_t>(mask >> 24)}));
  for (const ChannelReport& c : module.ReportAt(20, kStartUtcMs + 20000).channels) {
    if (c.prn != prn) continue;
    EXPECT_FALSE(c.used);
    EXPECT_EQ(c.health, 24);  // user blocked
  }
}

TEST(ReceiverCommands, ReadEphemerisAnnouncesAndSendsOneReplyPerSatellite) {
  SimOptions options;
  options.firstFixSeconds = 0;
  ReceiverModule module(options, kStartUtcMs);
  module.Advance(0.5);
  Bytes drop;
  module.output().Take(1 << 20, drop);
  const auto frames = Answer(module, CommandBytes(0xF1, 0x09, {0}));
  ASSERT_GE(frames.size(), 5u);
  EXPECT_EQ(frames[0].frameClass, 0x06);
  const size_t replies = frames.size() - 1;
  for (size_t i = 1; i < frames.size(); ++i) {
    const Bytes& p = frames[i].payload;
    EXPECT_EQ(frames[i].id, 0x83);
    EXPECT_EQ(p[0], replies);
    EXPECT_GE(p[1], 1);
    EXPECT_LE(p[1], 32);
    EXPECT_EQ(p[2] & 1, 1);                // valid
    EXPECT_EQ(U16(p, 2 + 4), 2305);        // GPS week
    EXPECT_EQ(U32(p, 2 + 60) % 7200, 0u);  // time of ephemeris
  }
  const auto almanac = Answer(module, CommandBytes(0xF1, 0x0B, {0}));
  ASSERT_EQ(almanac.size(), 1u + 24);
  EXPECT_EQ(almanac[1].payload[0], 24);
  EXPECT_EQ(almanac[1].payload.size(), 50u);
}

}  // namespace
}  // namespace vetra::sim
