#include "sim/nav_frames.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "sim_test_support.h"

namespace vetra::sim {
namespace {

float F32At(const std::vector<uint8_t>& p, size_t offset) {
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= static_cast<uint32_t>(p[offset + i]) << (8 * i);
  return std::bit_cast<float>(bits);
}
int I16At(const std::vector<uint8_t>& p, size_t offset) {
  return static_cast<int16_t>(p[offset] | p[offset + 1] << 8);
}
int I32At(const std::vector<uint8_t>& p, size_t offset) {
  return static_cast<int32_t>(p[offset] | p[offset + 1] << 8 | p[offset + 2] << 16 |
                              static_cast<uint32_t>(p[offset + 3]) << 24);
}

EpochReport Report() {
  EpochReport r;
  r.utcMs = 1215873045000;  // 2008-07-12 14:30:45 UTC
  r.fix = true;
  r.fixMode = 2;
  r.position = {-33.5, 151.25, 123.4, 36.0, 270.0};
  r.pdop = 1.8;
  r.hdop = 1.1;
  r.vdop = 1.4;
  r.clockValue = 0x5C41;
  for (int prn : {5, 17, 23}) {
    ChannelReport c;
    c.prn = prn;
    c.elevationDeg = 40;
    c.azimuthDeg = 300;
    c.cn0DbHz = 44;
    c.tracked = true;
    c.used = prn != 23;
    c.health = prn == 23 ? 7 : 0;
    c.pseudorangeM = 21'000'000 + prn;
    c.deltaRangeMmps = -prn * 1000;
    c.dopplerHz = static_cast<int16_t>(-prn * 100);
    r.channels.push_back(c);
  }
  r.satellitesUsed = 2;
  return r;
}

TEST(NavFrames, PayloadSizesFollowTheChip) {
  const EpochReport r = Report();
  EXPECT_EQ(NavFixPayload(r, false).size(), 37u);
  EXPECT_EQ(NavFixPayload(r, true).size(), 37u);
  EXPECT_EQ(ChannelStatusPayload(r, 12).size(), 102u);
  EXPECT_EQ(ChannelStatusPayload(r, 16).size(), 134u);
  EXPECT_EQ(MeasurementsPayload(r, 12).size(), 152u);
  EXPECT_EQ(MeasurementsPayload(r, 16).size(), 200u);
  EXPECT_EQ(ClockSolutionPayload(r).size(), 32u);
}

TEST(NavFrames, FixCarriesBcdTimeSignedPositionAndScaledSpeed) {
  const EpochReport r = Report();
  const auto p = NavFixPayload(r, false);
  EXPECT_EQ(p[6], 0x12);  // day
  EXPECT_EQ(p[7], 0x07);  // month
  EXPECT_EQ(p[8], 0x08);  // year in the century
  EXPECT_EQ(p[9], 0x20);  // century
  EXPECT_EQ(p[10], 0x45);
  EXPECT_EQ(p[11], 0x30);
  EXPECT_EQ(p[12], 0x14);
  EXPECT_FLOAT_EQ(F32At(p, 14), -33.5f);
  EXPECT_FLOAT_EQ(F32At(p, 18), 151.25f);
  EXPECT_EQ(I16At(p, 22), 123);
  EXPECT_EQ(I16At(p, 24), 270);
  EXPECT_EQ(I16At(p, 26), 100);  // 10 m/s in 0.1 m/s
  EXPECT_EQ(I16At(NavFixPayload(r, true), 26), 10);
  EXPECT_EQ(p[28], 0);  // fix indicator: GPS fix
  EXPECT_EQ(p[29], 2);  // 3D
  EXPECT_EQ(p[30], 3);
  EXPECT_EQ(p[31], 2);
  EXPECT_EQ(p[33], 18);
  EXPECT_EQ(p[34], 11);
  EXPECT_EQ(p[35], 14);

  EpochReport none = r;
  none.fix = false;
  const auto q = NavFixPayload(none, false);
  EXPECT_EQ(q[28], 5);
  EXPECT_EQ(q[29], 0);
}

TEST(NavFrames, ChannelStatusMarksUsedSatellitesInBit8) {
  const auto p = ChannelStatusPayload(Report(), 12);
  for (int i = 0; i < 3; ++i) {
    const size_t at = 6 + 8 * i;
    const int prn = p[at];
    EXPECT_EQ(I16At(p, at + 2), 300);
    EXPECT_EQ(p[at + 4], 40);
    EXPECT_EQ(p[at + 5], 44);
    const bool used = (p[at + 6] | p[at + 7] << 8) & 0x100;
    EXPECT_EQ(used, prn != 23) << prn;
    EXPECT_EQ(p[at + 1], prn == 23 ? 7 : 0);
  }
  for (size_t i = 6 + 8 * 3; i < p.size(); ++i) EXPECT_EQ(p[i], 0) << i;  // empty channels
}

TEST(NavFrames, MeasurementsCarryClockAndPerChannelRanges) {
  const auto p = MeasurementsPayload(Report(), 16);
  EXPECT_EQ(p[6] | p[7] << 8, 0x5C41);
  EXPECT_EQ(p[8], 5);
  EXPECT_EQ(I32At(p, 10), 21'000'005);
  EXPECT_EQ(I32At(p, 14), -5000);
  EXPECT_EQ(I16At(p, 18), -500);
  EXPECT_EQ(p[8 + 12], 17);
}

TEST(NavFrames, AppendFrameAddsMarkerChecksumAndLineEnd) {
  std::vector<uint8_t> out = {0xAA};
  const uint8_t payload[] = {0x12, 0x34};
  AppendFrame(out, 0xF2, 0x82, payload);
  const std::vector<uint8_t> expected = {0xAA, 0x25, 0x25, 0xF2, 0x82,
                                         0x12, 0x34, 0x56, 0x0D, 0x0A};
  EXPECT_EQ(out, expected);
}

}  // namespace
}  // namespace vetra::sim
