// The three restart frames of the start-up time test, byte for byte.
#include <gtest/gtest.h>

#include "ttff_bench.h"

namespace vetra {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

constexpr int64_t kMarch5 = 1'709'618'828;  // 2024-03-05 06:07:08 UTC

TEST(TestRestartFrame, ThreeModesByteForByte) {
  struct Row {
    TestType type;
    std::vector<uint8_t> frame;
  };
  const Row rows[] = {
      {TestType::Hot, Bytes({0x25, 0x25, 0xF1, 0x01, 0x00, 0x00, 0xE8, 0x07, 0x03, 0x05, 0x06, 0x07,
                             0x08, 0x00, 0x3A, 0x13, 0x16, 0x30, 0x00, 0x00, 0x1F, 0x0D, 0x0A})},
      {TestType::Warm,
       Bytes({0x25, 0x25, 0xF1, 0x01, 0x01, 0x02, 0xE8, 0x07, 0x03, 0x05, 0x06, 0x07,
              0x08, 0x00, 0x3A, 0x13, 0x16, 0x30, 0x00, 0x00, 0x1C, 0x0D, 0x0A})},
      {TestType::Cold,
       Bytes({0x25, 0x25, 0xF1, 0x01, 0x01, 0x03, 0xD4, 0x07, 0x02, 0x0E, 0x00, 0x00,
              0x00, 0x00, 0x18, 0x00, 0x0D, 0x00, 0x00, 0x00, 0x38, 0x0D, 0x0A})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.type));
    // 49.225 N and 123.1 W: the magnitudes go out, the hemispheres do not.
    const auto frame = BuildTestRestartFrame(row.type, kMarch5, 49.225f, 123.1f);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.end()), row.frame);
  }
}

TEST(TestRestartFrame, ColdIgnoresClockAndPosition) {
  const auto a = BuildTestRestartFrame(TestType::Cold, 0, 0, 0);
  const auto b = BuildTestRestartFrame(TestType::Cold, kMarch5 + 123'456, 12.5, 77.7);
  EXPECT_EQ(a, b);
}

TEST(TestRestartFrame, PositionIsTruncatedTowardZeroAsAMagnitude) {
  const auto frame = BuildTestRestartFrame(TestType::Hot, kMarch5, -24.1399f, 13.009f);
  EXPECT_EQ(frame[14] | frame[15] << 8, 2413);
  EXPECT_EQ(frame[16] | frame[17] << 8, 1300);
  const auto round = BuildTestRestartFrame(TestType::Warm, kMarch5, 24.13f, 180.0f);
  EXPECT_EQ(round[14] | round[15] << 8, 2413);
  EXPECT_EQ(round[16] | round[17] << 8, 18000);
}

TEST(SendTestRestart, BuildsWithThePositionShownLastThenWaitsThenWrites) {
  test::TtffBench b;
  b.clock.advanceMs(800);  // 06:07:08.8: the 300 ms wait crosses into :09
  PassValue pass = b.monitor.Pass();
  pass.navigation->record.latitudeDeg = 1.0f;
  pass.binaryNavigation = pass.navigation;  // the binary record is the one shown last
  pass.binaryNavigation->record.latitudeDeg = 49.225f;
  pass.binaryNavigation->record.longitudeDeg = 123.1f;
  b.test.ShowPass(pass);
  int64_t writtenAt = 0;
  b.port.onWrite = [&](const std::vector<uint8_t>&) { writtenAt = b.clock.nowSeconds(); };
  ASSERT_TRUE(b.test.SendTestRestart(TestType::Warm));
  const auto writes = b.port.writes();
  ASSERT_EQ(writes.size(), 1u);
  const auto expected = BuildTestRestartFrame(TestType::Warm, kMarch5, 49.225f, 123.1f);
  EXPECT_EQ(writes[0], std::vector<uint8_t>(expected.begin(), expected.end()));
  EXPECT_EQ(writes[0][12], 8);  // the second when it was built
  EXPECT_EQ(writtenAt, kMarch5 + 1);
}

TEST(SendTestRestart, NoPortOrPartialWriteIsReportedNotThrown) {
  test::FakeClock clock;
  test::FakeMonitor monitor;
  TtffCampaign test(monitor, clock);
  EXPECT_FALSE(test.SendTestRestart(TestType::Hot));
  EXPECT_EQ(test.panel().lastSendError, "no port");
  test::LoaderPort port;
  port.shortAtWrite = 0;
  monitor.port = &port;
  EXPECT_FALSE(test.SendTestRestart(TestType::Hot));
  EXPECT_EQ(test.panel().lastSendError, "written in part");
}

}  // namespace
}  // namespace vetra
