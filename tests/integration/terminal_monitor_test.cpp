// `vetra monitor`'s receiver conversation without a window, against the virtual receiver: a plain
// line per epoch, JSON lines per display update, the raw log, and a receiver unplugged
// mid-monitoring.
#include "cli/terminal_monitor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "app/receiver_port.h"
#include "link/file_sink.h"
#include "sim/virtual_receiver.h"

namespace vetra {
namespace {

using namespace std::chrono_literals;

// Collects the monitor's output; tests wait on it with a deadline.
class Collected {
 public:
  void Add(std::string_view lines) {
    std::lock_guard lock(mutex_);
    text_.append(lines);
    changed_.notify_all();
  }
  void Fail() {
    std::lock_guard lock(mutex_);
    failed_ = true;
    changed_.notify_all();
  }
  bool WaitFor(const std::function<bool(const std::string&, bool)>& done) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 15s, [&] { return done(text_, failed_); });
  }
  std::string text() {
    std::lock_guard lock(mutex_);
    return text_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string text_;
  bool failed_ = false;
};

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

class TerminalMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::SimOptions options;
    options.baud = 9600;
    options.firstFixSeconds = 0;
    receiver = std::make_unique<sim::VirtualReceiver>(options);
    ASSERT_TRUE(receiver->Start()) << receiver->error();
    port = OpenReceiverPort(receiver->devicePath(), 9600, false, messages);
    ASSERT_NE(port, nullptr);
    logPath = ::testing::TempDir() + "vetra-monitor-" + std::to_string(::getpid()) + ".bin";
  }
  void TearDown() override { std::remove(logPath.c_str()); }

  std::unique_ptr<sim::VirtualReceiver> receiver;
  SilentMessages messages;
  std::unique_ptr<TSerialPort> port;
  std::string logPath;
  Collected out;
};

TEST_F(TerminalMonitorTest, JsonLinesPerUpdateAndTheRawLog) {
  TerminalMonitor::Options options;
  options.json = true;
  options.echo = true;
  TerminalMonitor monitor(options, [this](std::string_view lines) { out.Add(lines); });
  std::string error;
  auto log = FileSink::Open(logPath, error);
  ASSERT_NE(log, nullptr) << error;
  ASSERT_TRUE(monitor.AttachLog(std::move(log)));
  monitor.Start(std::move(port));
  ASSERT_TRUE(out.WaitFor([](const std::string& text, bool) {
    return Count(text, "\"source\": \"nmea\"") >= 3 && Count(text, "$GPGGA") >= 2;
  }));
  monitor.Stop();

  const std::string text = out.text();
  EXPECT_EQ(text.back(), '\n');
  EXPECT_NE(text.find("{\"line\": \"$GPGGA,"), std::string::npos);
  EXPECT_GE(monitor.updates(), 3u);
  // Every echoed sentence came through the log too, byte for byte.
  const std::string logged = ReadFile(logPath);
  EXPECT_GE(Count(logged, "$GPGGA,"), 2u);
  EXPECT_EQ(logged.find('\0'), std::string::npos);
  EXPECT_FALSE(monitor.portFailed());
}

TEST_F(TerminalMonitorTest, OnePlainLinePerEpoch) {
  TerminalMonitor monitor({}, [this](std::string_view lines) { out.Add(lines); });
  monitor.Start(std::move(port));
  ASSERT_TRUE(out.WaitFor([](const std::string& text, bool) { return Count(text, "UTC") >= 4; }));
  monitor.Stop();
  // Each line holds a later time than the one before: no epoch printed twice.
  std::string previous;
  const std::string text = out.text();
  for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string line = text.substr(at, end - at);
    const std::string time = line.substr(0, line.find(" UTC"));
    EXPECT_NE(line.find(" UTC  "), std::string::npos) << line;
    EXPECT_EQ(line.find("0000-00-00"), std::string::npos) << line;
    EXPECT_GT(time, previous) << text;
    previous = time;
  }
}

TEST_F(TerminalMonitorTest, AReceiverUnpluggedStopsMonitoringAndKeepsTheLog) {
  TerminalMonitor monitor({}, [this](std::string_view lines) { out.Add(lines); });
  monitor.SetFailureCallback([this] { out.Fail(); });
  std::string error;
  auto log = FileSink::Open(logPath, error);
  ASSERT_NE(log, nullptr) << error;
  ASSERT_TRUE(monitor.AttachLog(std::move(log)));
  monitor.Start(std::move(port));
  ASSERT_TRUE(out.WaitFor([](const std::string& text, bool) { return Count(text, "UTC") >= 2; }));
  receiver->DropLine();
  ASSERT_TRUE(out.WaitFor([](const std::string&, bool failed) { return failed; }));
  EXPECT_TRUE(monitor.portFailed());
  // The task closed the log itself: what came before the failure is there.
  EXPECT_GE(Count(ReadFile(logPath), "$GPGGA,"), 1u);
  monitor.Stop();  // and stopping afterwards is harmless
}

TEST_F(TerminalMonitorTest, ALogThatCannotBeWrittenIsToldOnceAndMonitoringGoesOn) {
  TerminalMonitor monitor({}, [this](std::string_view lines) { out.Add(lines); });
  std::vector<std::string> reasons;  // written on the conversation's thread, read after Stop
  monitor.SetLogFailureCallback(
      [&reasons](const std::string& reason) { reasons.push_back(reason); });
  std::string error;
  auto log = FileSink::Open("/dev/full", error);
  ASSERT_NE(log, nullptr) << error;
  ASSERT_TRUE(monitor.AttachLog(std::move(log)));
  monitor.Start(std::move(port));
  ASSERT_TRUE(out.WaitFor([](const std::string& text, bool) { return Count(text, "UTC") >= 2; }));
  monitor.Stop();
  EXPECT_TRUE(monitor.logFailed());
  ASSERT_EQ(reasons.size(), 1u);
  EXPECT_NE(reasons[0].find("No space left"), std::string::npos) << reasons[0];
  EXPECT_FALSE(monitor.portFailed());
}

TEST(PrintableEcho, ControlAndHighBytesEscaped) {
  EXPECT_EQ(PrintableEcho("$GPGGA,1*00"), "$GPGGA,1*00");
  EXPECT_EQ(PrintableEcho(std::string_view("%%\xF2\x80\x01", 5)), "%%\\xF2\\x80\\x01");
  EXPECT_EQ(PrintableEcho("a\\b\tc"), "a\\x5Cb\\x09c");
}

}  // namespace
}  // namespace vetra
