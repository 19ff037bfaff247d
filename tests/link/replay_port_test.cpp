// The replay port's pace on the injected clock: the line rate (ten bit times a byte), ten times
// it, as fast as the reader takes; pause, seek and the end of the log.
#include "link/replay_port.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/fake_clock.h"

namespace vetra {
namespace {

TEST(ReplayPort, PacesTheLogAndObeysItsControls) {
  test::FakeClock clock;
  auto source = std::make_shared<ReplaySource>(std::vector<uint8_t>(100'000, 'x'));
  ReplayPort port(source, 4800, clock);
  uint8_t buffer[4096];
  EXPECT_EQ(port.rxData(buffer, 2047), 0);  // the first read starts the clock

  clock.advanceMs(1000);
  EXPECT_EQ(port.rxData(buffer, 2047), 480);  // 4800 baud: 480 bytes a second
  port.Reset(9600, 8, 0, 0);                  // the page's rate, as on a live port
  clock.advanceMs(100);
  EXPECT_EQ(port.rxData(buffer, 2047), 96);

  source->SetPaused(true);
  clock.advanceMs(5000);
  EXPECT_EQ(port.rxData(buffer, 2047), 0);
  source->SetPaused(false);
  clock.advanceMs(100);
  EXPECT_EQ(port.rxData(buffer, 2047), 96);  // nothing piled up while paused

  source->SetSpeed(ReplaySpeed::TenTimes);
  clock.advanceMs(100);
  EXPECT_EQ(port.rxData(buffer, 2047), 960);
  clock.advanceMs(300);  // a slow reader: held back, not dropped, and taken in reads of its size
  EXPECT_EQ(port.rxData(buffer, 2047), 2047);
  EXPECT_EQ(port.rxData(buffer, 2047), 833);

  source->SetSpeed(ReplaySpeed::AsFastAsPossible);
  EXPECT_EQ(port.rxData(buffer, 4096), 4096);

  source->Seek(99'000);
  EXPECT_EQ(source->position(), 99'000u);
  EXPECT_EQ(port.rxData(buffer, 4096), 1000);
  EXPECT_TRUE(source->finished());
  EXPECT_EQ(port.rxData(buffer, 4096), 0);  // the end of the log is not a failure
}

}  // namespace
}  // namespace vetra
