// Channel status (F2 D2 / D5), measurements (F2 D3 / D6) and the clock solution (F2 D4).
#include <gtest/gtest.h>

#include "binary_test_support.h"

namespace vetra {
namespace {

using testing::Bytes;
using testing::Put;

struct ChannelIn {
  uint8_t prn, health;
  int16_t azimuth;
  uint8_t elevation, cn0;
  uint16_t status;
};

Bytes ChannelStatus(int channels, const std::vector<ChannelIn>& in) {
  Bytes p(6 + 8 * static_cast<size_t>(channels), 0);
  for (size_t i = 0; i < in.size(); ++i) {
    const size_t at = 6 + 8 * i;
    p[at] = in[i].prn;
    p[at + 1] = in[i].health;
    Put<int16_t>(p, at + 2, in[i].azimuth);
    p[at + 4] = in[i].elevation;
    p[at + 5] = in[i].cn0;
    Put<uint16_t>(p, at + 6, in[i].status);
  }
  return p;
}

TEST(BinaryChannels, StatusListsValidPrnsInChannelOrder) {
  ReceiverStores stores;
  TBinary binary(stores);
  binary.record().updated = 1;
  binary.record().prnList[2] = 99;  // beyond the listed ones: left as it was
  testing::FeedAll(binary, testing::Reply(0xD2, ChannelStatus(12, {
                                                                      {5, 3, 270, 45, 41, 0x0100},
                                                                      {0, 7, 1, 2, 3, 0x0100},
                                                                      {17, 4, -10, 12, 33, 0x00FF},
                                                                  })));
  const TNavRecord& r = binary.record();
  EXPECT_EQ(r.prnList[0], 5);
  EXPECT_EQ(r.prnList[1], 17);
  EXPECT_EQ(r.prnList[2], 99);

  const TSatellite& s5 = r.satellites[4];
  EXPECT_EQ(s5.signal, 3);
  EXPECT_EQ(s5.azimuth, 270);
  EXPECT_EQ(s5.elevation, 45);
  EXPECT_EQ(s5.used, 1);
  EXPECT_EQ(s5.channel, 0);
  const TSatellite& s17 = r.satellites[16];
  EXPECT_EQ(s17.azimuth, -10);
  EXPECT_EQ(s17.used, 0);  // bit 8 clear
  EXPECT_EQ(s17.channel, 2);

  EXPECT_EQ(r.channels[0].cn0, 41);
  EXPECT_EQ(r.channels[0].health, 3);
  EXPECT_EQ(r.channels[0].status, 0x0100);
  EXPECT_EQ(r.channels[1].cn0, 0);  // PRN 0: nothing changes
  EXPECT_EQ(r.channels[1].status, 0);
  EXPECT_EQ(r.channels[2].cn0, 33);
  EXPECT_EQ(r.channels[2].status, 0x00FF);
  EXPECT_EQ(r.updated, 0);  // shown with the next flagged reply
}

TEST(BinaryChannels, PrnRangeIsOneTo63) {
  ReceiverStores stores;
  TBinary binary(stores);
  testing::FeedAll(binary, testing::Reply(0xD2, ChannelStatus(12, {
                                                                      {64, 1, 0, 0, 30, 0},
                                                                      {255, 1, 0, 0, 30, 0},
                                                                      {63, 2, 0, 0, 31, 0},
                                                                  })));
  EXPECT_EQ(binary.record().prnList[0], 63);
  EXPECT_EQ(binary.record().satellites[62].signal, 2);
  EXPECT_EQ(binary.record().satellites[62].channel, 2);
  EXPECT_EQ(binary.record().channels[0].cn0, 0);
  EXPECT_EQ(binary.record().channels[1].cn0, 0);
}

// The channel count follows the message id: D2 reads 12 channels, D5 reads 16.
TEST(BinaryChannels, SixteenChannelsFromD5) {
  std::vector<ChannelIn> in;
  for (uint8_t i = 0; i < 16; ++i) in.push_back({static_cast<uint8_t>(i + 1), 0, 0, 0, 30, 0});
  ReceiverStores stores;
  TBinary binary(stores);
  testing::FeedAll(binary, testing::Reply(0xD5, ChannelStatus(16, in)));
  EXPECT_EQ(binary.record().prnList[15], 16);
  EXPECT_EQ(binary.record().channels[15].cn0, 30);
  EXPECT_EQ(binary.record().satellites[15].channel, 15);
}

Bytes Measurements(int channels) {
  Bytes p(8 + 12 * static_cast<size_t>(channels), 0);
  Put<uint16_t>(p, 6, 0xBEEF);
  for (int i = 0; i < channels; ++i) {
    const size_t at = 8 + 12 * static_cast<size_t>(i);
    p[at] = static_cast<uint8_t>(i + 1);
    p[at + 1] = 0xAA;  // not used
    Put<int32_t>(p, at + 2, 20000000 + i);
    Put<int32_t>(p, at + 6, -1000 * i);
    Put<int16_t>(p, at + 10, static_cast<int16_t>(-300 + i));
  }
  return p;
}

TEST(BinaryChannels, MeasurementsOf12And16Channels) {
  struct Case {
    uint8_t id;
    int channels;
  };
  for (const Case c : {Case{0xD3, 12}, Case{0xD6, 16}}) {
    ReceiverStores stores;
    TBinary binary(stores);
    binary.record().channels[12].prn = 77;  // untouched by a 12-channel reply
    testing::FeedAll(binary, testing::Reply(c.id, Measurements(c.channels)));
    const TNavRecord& r = binary.record();
    EXPECT_EQ(r.clockValue, 0xBEEF);
    EXPECT_EQ(r.updated, 1);
    const TChannel& last = r.channels[c.channels - 1];
    EXPECT_EQ(last.prn, c.channels);
    EXPECT_EQ(last.pseudorange, 20000000 + c.channels - 1);
    EXPECT_EQ(last.deltaRange, -1000 * (c.channels - 1));
    EXPECT_EQ(last.doppler, -300 + c.channels - 1);
    EXPECT_EQ(r.channels[12].prn, c.channels == 12 ? 77 : 13);
  }
}

TEST(BinaryChannels, ClockSolution) {
  Bytes p(32, 0);
  Put<double>(p, 0, 123456.75);
  Put<double>(p, 8, -0.5);
  Put<double>(p, 16, 1e-9);
  Put<float>(p, 24, 2.25f);
  p[28] = 1;
  p[29] = 2;
  p[30] = 3;
  p[31] = 4;
  ReceiverStores stores;
  TBinary binary(stores);
  testing::FeedAll(binary, testing::Reply(0xD4, p));
  const TNavRecord& r = binary.record();
  EXPECT_EQ(r.measurementUtc, 123456.75);
  EXPECT_EQ(r.clockBias, -0.5);
  EXPECT_EQ(r.timeBias, 1e-9);
  EXPECT_EQ(r.frequencyBias, 2.25f);
  EXPECT_EQ(r.reserved[0], 1);
  EXPECT_EQ(r.reserved[3], 4);
  EXPECT_EQ(r.updated, 1);
}

}  // namespace
}  // namespace vetra
