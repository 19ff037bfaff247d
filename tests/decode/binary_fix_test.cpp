// The navigation fix replies F2 D0 (speed in 0.1 m/s) and F2 D1 (speed in m/s).
#include <gtest/gtest.h>

#include "binary_test_support.h"

namespace vetra {
namespace {

using testing::Bytes;
using testing::Put;

// A fix on 12 July 2008 at 15:30:45, 3D, seven of nine satellites used.
Bytes FixPayload(float lat, float lon, int16_t speedRaw) {
  Bytes p(37, 0);
  p[0] = 0x23;  // date code
  p[6] = 0x12;  // day
  p[7] = 0x07;  // month
  p[8] = 0x08;  // year in the century
  p[9] = 0x20;  // century
  p[10] = 0x45;
  p[11] = 0x30;
  p[12] = 0x15;
  Put<float>(p, 14, lat);
  Put<float>(p, 18, lon);
  Put<int16_t>(p, 22, -12);
  Put<int16_t>(p, 24, 271);
  Put<int16_t>(p, 26, speedRaw);
  p[28] = 1;
  p[29] = 2;
  p[30] = 9;
  p[31] = 7;
  p[33] = 15;
  p[34] = 9;
  p[35] = 21;
  return p;
}

struct Decoded {
  ReceiverStores stores;
  testing::RecordingSink sink;
  TBinary binary{stores, &sink};
  explicit Decoded(const Bytes& stream) { testing::FeedAll(binary, stream); }
};

TEST(BinaryFix, DateTimePositionAndDops) {
  Decoded d(testing::Reply(0xD0, FixPayload(-33.5f, 151.25f, 100)));
  const TNavRecord& r = d.binary.record();
  EXPECT_EQ(r.dateCode, 23);
  EXPECT_EQ(r.day, 12);
  EXPECT_EQ(r.month, 7);
  EXPECT_EQ(r.year, 2008);
  EXPECT_EQ(r.hour, 15);
  EXPECT_EQ(r.minute, 30);
  EXPECT_EQ(r.second, 45);
  EXPECT_FLOAT_EQ(r.latitudeDeg, 33.5f);
  EXPECT_EQ(r.latitudeHemisphere, 'S');
  EXPECT_FLOAT_EQ(r.longitudeDeg, 151.25f);
  EXPECT_EQ(r.longitudeHemisphere, 'E');
  EXPECT_EQ(r.altitudeM, -12);
  EXPECT_EQ(r.headingDeg, 271);
  EXPECT_EQ(r.fixIndicator, 1);
  EXPECT_EQ(r.fixMode, 2);
  EXPECT_EQ(r.satellitesInView, 9);
  EXPECT_EQ(r.satellitesUsed, 7);
  EXPECT_FLOAT_EQ(r.pdop, 1.5f);
  EXPECT_FLOAT_EQ(r.hdop, 0.9f);
  EXPECT_FLOAT_EQ(r.vdop, 2.1f);
  EXPECT_EQ(r.updated, 1);
  EXPECT_TRUE(d.sink.calls.empty());      // the fix is shown through the updated flag
  EXPECT_EQ(r.exact.latitudeDeg, -33.5);  // signed, the frame's own float
  EXPECT_EQ(r.exact.longitudeDeg, 151.25);
}

TEST(BinaryFix, NorthWest) {
  Decoded d(testing::Reply(0xD0, FixPayload(51.5f, -0.125f, 0)));
  EXPECT_EQ(d.binary.record().latitudeHemisphere, 'N');
  EXPECT_EQ(d.binary.record().longitudeHemisphere, 'W');
  EXPECT_FLOAT_EQ(d.binary.record().longitudeDeg, 0.125f);
}

TEST(BinaryFix, SpeedIsTruncatedTowardZero) {
  struct Case {
    uint8_t id;
    int16_t raw;
    int16_t kmh;
  };
  const Case cases[] = {
      {0xD0, 100, 36},     {0xD1, 100, 360},    {0xD0, -5, -1},         {0xD1, -5, -18},
      {0xD0, 2, 0},        {0xD0, 3, 1},        {0xD0, -3, -1},         {0xD0, 32767, 11796},
      {0xD1, 9101, 32763}, {0xD1, 9103, 32767}, {0xD1, -32768, -32768},
  };
  for (const Case& c : cases) {
    Decoded d(testing::Reply(c.id, FixPayload(0, 0, c.raw)));
    EXPECT_EQ(d.binary.record().speedKmh, c.kmh)
        << std::hex << int(c.id) << std::dec << " raw " << c.raw;
  }
}

TEST(BinaryFix, D1ClearsTheUpdatedFlagThatD0Set) {
  ReceiverStores stores;
  TBinary binary(stores);
  testing::FeedAll(binary, testing::Reply(0xD0, FixPayload(1, 1, 1)));
  ASSERT_EQ(binary.record().updated, 1);
  testing::FeedAll(binary, testing::Reply(0xD1, FixPayload(2, 2, 2)));
  EXPECT_EQ(binary.record().updated, 0);
  EXPECT_FLOAT_EQ(binary.record().latitudeDeg, 2.0f);  // stored all the same
}

TEST(BinaryFix, BadChecksumChangesNothing) {
  ReceiverStores stores;
  TBinary binary(stores);
  Bytes frame = testing::Reply(0xD0, FixPayload(10, 10, 100));
  frame[frame.size() - 3] ^= 0x01;
  testing::FeedAll(binary, frame);
  EXPECT_EQ(binary.record().year, 0);
  EXPECT_EQ(binary.record().updated, 0);
  EXPECT_EQ(binary.framesGood(), 0u);
  EXPECT_EQ(binary.framesBadChecksum(), 1u);
}

TEST(BinaryFix, ResetRecordKeepsDateAndChannels) {
  ReceiverStores stores;
  TBinary binary(stores);
  testing::FeedAll(binary, testing::Reply(0xD0, FixPayload(-33.5f, -151.25f, 100)));
  TNavRecord& r = binary.record();
  r.restartCounter = 4;
  r.satellites[4].used = 1;   // PRN 5
  r.satellites[16].used = 1;  // PRN 17
  r.prnList[0] = 5;
  binary.ResetRecord();
  EXPECT_EQ(r.restartCounter, 0);
  EXPECT_EQ(r.speedKmh, -1);
  EXPECT_EQ(r.headingDeg, 0);
  EXPECT_EQ(r.latitudeDeg, 0);
  EXPECT_EQ(r.latitudeHemisphere, 'N');
  EXPECT_EQ(r.longitudeDeg, 0);
  EXPECT_EQ(r.longitudeHemisphere, 'E');
  EXPECT_EQ(r.altitudeM, 0);
  EXPECT_EQ(r.status, 'A');
  EXPECT_EQ(r.pdop + r.hdop + r.vdop, 0);
  EXPECT_EQ(r.satellitesInView, 0);
  EXPECT_EQ(r.satellitesUsed, 0);
  EXPECT_EQ(r.fixIndicator, 5);
  EXPECT_EQ(r.fixMode, 0);
  EXPECT_EQ(r.satellites[4].used, 0);
  EXPECT_EQ(r.satellites[16].used, 1);  // only PRNs 1 to 16 are cleared
  EXPECT_EQ(r.year, 2008);
  EXPECT_EQ(r.dateCode, 23);
  EXPECT_EQ(r.prnList[0], 5);
}

}  // namespace
}  // namespace vetra
