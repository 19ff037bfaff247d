// The auto-scan against scripted receivers: each plays its output at one rate (text at the right
// rate, unreadable bytes at the others), paced by the fake clock, so no test waits.
#include "app/auto_scan.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/baud_table.h"
#include "recording_messages.h"
#include "support/fake_clock.h"

namespace vetra {
namespace {

// What the scripted receiver sends, and how the port behaves.
struct Script {
  int receiverRate = 9600;
  std::string output = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
  int failAtRate = 0;         // rxData returns -1 once the port runs at this rate
  bool resetFails = false;    // Reset does not take
  bool alwaysQueued = false;  // every read brings a full buffer of noise, however often
};

struct Trace {
  std::vector<int> resets;
  int reads = 0;
  bool portAlive = false;
};

class ScriptedPort final : public IPort {
 public:
  ScriptedPort(const Script& script, Trace& trace, test::FakeClock& clock, int rate)
      : script_(script), trace_(trace), clock_(clock), rate_(rate) {
    trace_.portAlive = true;
  }
  ~ScriptedPort() override { trace_.portAlive = false; }

  int rxData(uint8_t* buffer, int maxCount) override {
    ++trace_.reads;
    if (script_.failAtRate == rate_) return -1;
    if (script_.alwaysQueued) {
      for (int i = 0; i < maxCount; ++i) buffer[i] = static_cast<uint8_t>(0x80 | i);
      return maxCount;
    }
    // Bytes arrive at the receiver's rate (ten bits each) while the clock moves.
    const int64_t nowMs = clock_.sleeps() * int64_t{AutoScan::kPollIntervalMs};
    const int64_t due = (nowMs - sinceMs_) * script_.receiverRate / 10'000;
    sinceMs_ = nowMs;
    const int count = static_cast<int>(std::min<int64_t>(due, maxCount));
    for (int i = 0; i < count; ++i, ++sent_) {
      const char c = script_.output[static_cast<size_t>(sent_) % script_.output.size()];
      // At another rate than the receiver's, the line brings bytes that are no text at all.
      buffer[i] = rate_ == script_.receiverRate ? static_cast<uint8_t>(c)
                                                : static_cast<uint8_t>(0x80 | (c * 37));
    }
    return count;
  }
  int txData(const uint8_t*, int count) override { return count; }
  bool Reset(int baudRate, int, int, int) override {
    trace_.resets.push_back(baudRate);
    if (script_.resetFails) return false;
    if (baudRate != 0) rate_ = baudRate;
    sinceMs_ = clock_.sleeps() * int64_t{AutoScan::kPollIntervalMs};  // queues purged
    return true;
  }
  int baudRate() const override { return rate_; }

 private:
  const Script& script_;
  Trace& trace_;
  test::FakeClock& clock_;
  int rate_;
  int64_t sinceMs_ = 0;
  int64_t sent_ = 0;
};

struct Status {
  std::string text;
  Rgb colour;
};

class AutoScanTest : public ::testing::Test {
 protected:
  AutoScan::Result Scan(bool opens = true) {
    return scan.Run(
        [&, opens](int rate, std::string&) -> std::unique_ptr<IPort> {
          openedAt.push_back(rate);
          if (!opens) return nullptr;
          return std::make_unique<ScriptedPort>(script, trace, clock, rate);
        },
        [&](const std::string& text, Rgb colour) {
          statuses.push_back({text, colour});
        },
        [&] { ++pumps; });
  }
  Script script;
  Trace trace;
  test::FakeClock clock;
  test::RecordingMessages messages;
  AutoScan scan{clock, messages};
  std::vector<int> openedAt;
  std::vector<Status> statuses;
  int pumps = 0;
};

TEST_F(AutoScanTest, FindsNineThousandSixHundredAfterTryingTheSlowerRates) {
  const int64_t start = clock.nowSeconds();
  const AutoScan::Result r = Scan();
  EXPECT_EQ(r.outcome, AutoScan::Outcome::Found);
  EXPECT_EQ(r.baudIndex, 2);
  EXPECT_EQ(r.baudRate, 9600);
  EXPECT_EQ(openedAt, std::vector<int>{2400});
  EXPECT_EQ(trace.resets, (std::vector<int>{2400, 4800, 9600}));
  // Six polls 200 ms apart at each of 2400 and 4800; at 9600 the first poll comes right after
  // the drain with nothing new, the second finds the text.
  EXPECT_EQ(clock.sleeps(), 6 + 6 + 2);
  EXPECT_EQ(pumps, clock.sleeps());
  EXPECT_EQ(clock.nowSeconds() - start, 2);  // 2.8 s
  ASSERT_EQ(statuses.size(), 2u);
  EXPECT_EQ(statuses[0].text, "Scan...");
  EXPECT_EQ(statuses[0].colour, kBlue);
  EXPECT_EQ(statuses[1].text, "Found!");
  EXPECT_EQ(statuses[1].colour, kGreen);
  EXPECT_FALSE(trace.portAlive);  // the scan's port is gone afterwards
  EXPECT_FALSE(scan.running());
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AutoScanTest, ReceiversThatSendNoGpsTextFailAfterAllSevenRates) {
  struct Case {
    const char* what;
    std::string output;
  };
  const Case cases[] = {
      {"binary frames only", std::string("%%\xF2\xD0\x01\x02\x03\x00\x00\x11\r\n", 12)},
      {"another talker", "$GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,*47\r\n"},
      {"text behind a zero byte", std::string("\0$GPGGA,1*00\r\n", 14)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    script.output = c.output;
    script.receiverRate = 9600;
    trace = Trace{};
    statuses.clear();
    const int sleepsBefore = clock.sleeps();
    const AutoScan::Result r = Scan();
    EXPECT_EQ(r.outcome, AutoScan::Outcome::Failed);
    EXPECT_EQ(r.baudIndex, -1);
    EXPECT_EQ(trace.resets, (std::vector<int>{2400, 4800, 9600, 19200, 38400, 57600, 115200}));
    EXPECT_EQ(clock.sleeps() - sleepsBefore, 7 * 6);
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_EQ(statuses[1].text, "Scan Fail!");
    EXPECT_EQ(statuses[1].colour, kRed);
    EXPECT_FALSE(trace.portAlive);
  }
}

TEST_F(AutoScanTest, APortThatDoesNotOpenIsReportedAndNothingIsScanned) {
  const AutoScan::Result r = Scan(/*opens=*/false);
  EXPECT_EQ(r.outcome, AutoScan::Outcome::NotOpened);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Wrong com!");
  EXPECT_EQ(messages.shown[0].title, "Open com port");
  EXPECT_TRUE(statuses.empty());
  EXPECT_EQ(clock.sleeps(), 0);
  EXPECT_FALSE(scan.running());
}

TEST_F(AutoScanTest, APortThatFailsEndsTheScanAtOnce) {
  script.failAtRate = 4800;
  AutoScan::Result r = Scan();
  EXPECT_EQ(r.outcome, AutoScan::Outcome::PortFailed);
  EXPECT_EQ(trace.resets, (std::vector<int>{2400, 4800}));
  EXPECT_EQ(statuses.back().text, "Scan Fail!");
  EXPECT_FALSE(trace.portAlive);

  script.failAtRate = 0;
  script.resetFails = true;
  trace = Trace{};
  r = Scan();
  EXPECT_EQ(r.outcome, AutoScan::Outcome::PortFailed);
  EXPECT_EQ(trace.resets, std::vector<int>{2400});
  EXPECT_EQ(trace.reads, 0);
}

TEST_F(AutoScanTest, TheDrainEndsEvenWhenTheLineNeverPauses) {
  script.alwaysQueued = true;
  const AutoScan::Result r = Scan();
  EXPECT_EQ(r.outcome, AutoScan::Outcome::Failed);
  EXPECT_EQ(trace.reads, 7 * (AutoScan::kMaxDrainReads + 6));
}

TEST_F(AutoScanTest, NoSecondScanStartsWhileOneRuns) {
  AutoScan::Result inner;
  int nested = 0;
  const AutoScan::Result outer = scan.Run(
      [&](int rate, std::string&) -> std::unique_ptr<IPort> {
        return std::make_unique<ScriptedPort>(script, trace, clock, rate);
      },
      [](const std::string&, Rgb) {},
      [&] {
        // The user presses Scan again while the window's events are processed.
        if (nested++ == 0) inner = scan.Run([](int, std::string&) { return nullptr; }, {}, {});
      });
  EXPECT_EQ(inner.outcome, AutoScan::Outcome::Busy);
  EXPECT_EQ(outer.outcome, AutoScan::Outcome::Found);
  EXPECT_TRUE(messages.shown.empty());  // the refused scan opened nothing
}

TEST_F(AutoScanTest, SteppedByHandAsTheWindowsTimerDoes) {
  script.receiverRate = 2400;
  ASSERT_TRUE(scan.Start(
      [&](int rate, std::string&) -> std::unique_ptr<IPort> {
        return std::make_unique<ScriptedPort>(script, trace, clock, rate);
      },
      {}));
  EXPECT_TRUE(scan.running());
  EXPECT_FALSE(scan.Start({}, {}));
  std::vector<int> waits;
  for (int wait = scan.Step(); wait >= 0; wait = scan.Step()) {
    waits.push_back(wait);
    if (wait > 0) clock.sleepMs(wait);
  }
  EXPECT_EQ(scan.result().outcome, AutoScan::Outcome::Found);
  EXPECT_EQ(scan.result().baudRate, 2400);
  EXPECT_FALSE(scan.running());
  EXPECT_EQ(std::count(waits.begin(), waits.end(), AutoScan::kPollIntervalMs), 2);
}

TEST(GpsTalkerText, FoundAnywhereBeforeTheFirstZeroByte) {
  struct Row {
    std::string bytes;
    bool found;
  };
  const std::vector<Row> rows{
      {"$GPGGA,1", true},
      {"\xff\xfe garbage $GPRMC", true},
      {"$GNGGA,1", false},
      {"$GP", true},
      {"$G", false},
      {std::string("ab\0$GPGGA", 9), false},
      {std::string("$GPGGA\0", 7), true},
      {"$gpgga", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(HasGpsTalkerText(reinterpret_cast<const uint8_t*>(row.bytes.data()),
                               static_cast<int>(row.bytes.size())),
              row.found)
        << row.bytes;
  }
}

}  // namespace
}  // namespace vetra
