// The replay port's pace on the injected clock: the line rate (ten bit times a byte), ten times
// it, as fast as the reader takes; pause, seek and the end of the log.
#include "link/replay_port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "support/fake_clock.h"
#include "support/temp_path.h"

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

// The window moves the controls while the conversation's thread reads (run under ThreadSanitizer).
TEST(ReplayPort, ControlsFromAnotherThreadWhileTheReaderTakesTheLog) {
  test::FakeClock clock;
  auto source = std::make_shared<ReplaySource>(std::vector<uint8_t>(1'000'000, 'x'));
  source->SetSpeed(ReplaySpeed::AsFastAsPossible);
  size_t taken = 0;
  std::atomic<bool> controlsDone{false};
  std::jthread reader([&] {
    ReplayPort port(source, 9600, clock);
    uint8_t buffer[2047];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(controlsDone && source->finished()) && std::chrono::steady_clock::now() < deadline) {
      taken += static_cast<size_t>(port.rxData(buffer, sizeof buffer));
    }
  });
  for (int i = 0; i < 200; ++i) {
    source->SetPaused(i % 3 == 0);
    source->SetSpeed(i % 2 ? ReplaySpeed::TenTimes : ReplaySpeed::AsFastAsPossible);
    if (i == 100) source->Seek(source->position() / 2);
    clock.advanceMs(10);
  }
  source->SetPaused(false);
  source->SetSpeed(ReplaySpeed::AsFastAsPossible);
  controlsDone = true;
  reader.join();
  EXPECT_TRUE(source->finished());
  EXPECT_GE(taken, 1'000'000u);  // a seek back plays part of the log again
}

// A log file is streamed from where the position stands, after a seek too; what is not a regular
// file is refused by name.
TEST(ReplayPort, AFileIsStreamedFromThePositionAndANonFileRefused) {
  const auto path = test::UniqueTempPath("vetra-replay");
  { std::ofstream(path, std::ios::binary) << "0123456789"; }
  std::string error;
  {
    auto source = ReplaySource::FromFile(path.string(), error);
    ASSERT_NE(source, nullptr) << error;
    EXPECT_EQ(source->size(), 10u);
    source->SetSpeed(ReplaySpeed::AsFastAsPossible);
    test::FakeClock clock;
    ReplayPort port(source, 4800, clock);
    uint8_t buffer[16] = {};
    EXPECT_EQ(port.rxData(buffer, 4), 4);
    source->Seek(7);
    EXPECT_EQ(port.rxData(buffer, 16), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "789");
    EXPECT_TRUE(source->finished());
  }  // the file is closed before it goes (Windows refuses to remove an open file)
  std::filesystem::remove(path);

  EXPECT_EQ(ReplaySource::FromFile(std::filesystem::temp_directory_path().string(), error),
            nullptr);
  EXPECT_NE(error.find("is a directory"), std::string::npos) << error;
}

}  // namespace
}  // namespace vetra
