// The auto-scan and the serial port against the virtual receiver on a pseudo-terminal: real bytes
// at real line rates, so this test takes the scan's own time (about 1.2 s per rate tried).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/auto_scan.h"
#include "app/receiver_port.h"
#include "sim/virtual_receiver.h"
#include "util/clock.h"

namespace vetra {
namespace {

class CountingMessages final : public IMessages {
 public:
  void Show(const std::string& text, const std::string& title, Kind) override {
    shown.push_back(title + ": " + text);
  }
  std::vector<std::string> shown;
};

TEST(ScanIntegration, FindsTheReceiverAt9600AfterTrying2400And4800) {
  sim::SimOptions options;
  options.baud = 9600;
  sim::VirtualReceiver receiver(options);
  ASSERT_TRUE(receiver.Start()) << receiver.error();

  CountingMessages messages;
  AutoScan scan(SystemClock::instance(), messages);
  std::vector<int> ratesTried;
  std::vector<std::string> statuses;
  const AutoScan::Result result = scan.Run(
      [&](int baudRate, std::string&) -> std::unique_ptr<IPort> {
        return OpenReceiverPort(receiver.devicePath(), baudRate, false, messages);
      },
      [&](const std::string& text, Rgb) { statuses.push_back(text); },
      [&] {
        if (ratesTried.empty() || ratesTried.back() != scan.rateIndex()) {
          ratesTried.push_back(scan.rateIndex());
        }
      });
  EXPECT_EQ(result.outcome, AutoScan::Outcome::Found);
  EXPECT_EQ(result.baudRate, 9600);
  EXPECT_EQ(ratesTried, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(statuses, (std::vector<std::string>{"Scan...", "Found!"}));
  EXPECT_TRUE(messages.shown.empty());

  // The scan let go of the device: the window can open it at the rate found.
  auto port = OpenReceiverPort(receiver.devicePath(), result.baudRate, false, messages);
  ASSERT_NE(port, nullptr);
}

TEST(ScanIntegration, AReceiverUnpluggedDuringTheScanEndsIt) {
  sim::SimOptions options;
  options.baud = 115200;
  sim::VirtualReceiver receiver(options);
  ASSERT_TRUE(receiver.Start()) << receiver.error();

  CountingMessages messages;
  AutoScan scan(SystemClock::instance(), messages);
  int polls = 0;
  const AutoScan::Result result = scan.Run(
      [&](int baudRate, std::string&) -> std::unique_ptr<IPort> {
        return OpenReceiverPort(receiver.devicePath(), baudRate, false, messages);
      },
      {},
      [&] {
        if (++polls == 2) receiver.DropLine();
      });
  EXPECT_EQ(result.outcome, AutoScan::Outcome::PortFailed);
  EXPECT_LT(polls, 6 + 2);  // it did not go on listening at the other rates
}

}  // namespace
}  // namespace vetra
