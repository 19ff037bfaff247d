// `vetra ttff` as a user runs it against the virtual receiver: a hot test runs its cycles to the
// end with its summary and CSV; Ctrl-C stops a warm test whose fixes come too early to count.
// These run in real seconds (the test's tick is the tab's one-second timer), so they are few.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "cli_files.h"
#include "cli_process.h"
#include "sim/virtual_receiver.h"
#include "ttff/ttff_statistics.h"

namespace vetra::testing {
namespace {

using namespace std::chrono_literals;

bool Has(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(TtffCli, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"ttff", "--port", "/dev/null", "--mode", "hot"},  // no cycles
      {"ttff", "--port", "/dev/null", "--cycles", "1"},  // no mode
      {"ttff", "--mode", "hot", "--cycles", "1"},        // no port
      {"ttff", "--port", "/dev/null", "--mode", "lukewarm", "--cycles", "1"},
      {"ttff", "--port", "/dev/null", "--mode", "hot", "--cycles", "0"},
      {"ttff", "--port", "/dev/null", "--mode", "hot", "--cycles", "10001"},
      {"ttff", "--port", "/dev/null", "--mode", "hot", "--cycles", "1", "--wait", "2"},
      {"ttff", "--port", "/dev/null", "--mode", "hot", "--cycles", "1", "--wait", "21"},
  };
  for (const auto& args : cases) {
    CliProcess run(args);
    EXPECT_EQ(run.WaitForExit(20s), 2) << args.back() << "\n" << run.err();
  }
}

class TtffWithVirtualReceiver : public ::testing::Test {
 protected:
  void Start(sim::SimOptions options) {
    options.baud = 4800;  // the tool's own default rate
    options.firstFixSeconds = 0;
    options.rebootSeconds = 0.5;
    receiver = std::make_unique<sim::VirtualReceiver>(options);
    ASSERT_TRUE(receiver->Start()) << receiver->error();
    ASSERT_FALSE(folder.path().empty());
  }
  // Restart frames the receiver took with this mode (its first two bytes).
  size_t RestartsWithMode(uint8_t first, uint8_t second) const {
    size_t n = 0;
    for (const sim::CommandFrame& frame : receiver->commands()) {
      if (frame.id == 0x01 && frame.payload.size() >= 2 && frame.payload[0] == first &&
          frame.payload[1] == second) {
        ++n;
      }
    }
    return n;
  }

  std::unique_ptr<sim::VirtualReceiver> receiver;
  TempFolder folder;
};

TEST_F(TtffWithVirtualReceiver, AHotTestRunsItsCyclesAndSummarises) {
  sim::SimOptions options;
  options.restartFixSeconds[static_cast<int>(sim::RestartKind::Hot)] = 1.0;
  Start(options);
  const std::string csv = folder / "ttff.csv";
  CliProcess run(
      {"ttff", "--port", receiver->devicePath(), "--mode", "hot", "--cycles", "2", "--csv", csv});
  ASSERT_EQ(run.WaitForExit(90s), 0) << run.out() << run.err();
  const std::string& out = run.out();

  // One line per cycle, with its first-fix time and the running mean.
  std::smatch match;
  const std::regex cycleLine("Cycle (\\d): first fix (\\d+) s, counted, mean (.{6})\n");
  std::vector<int> seconds;
  std::vector<std::string> means;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), cycleLine);
       it != std::sregex_iterator(); ++it) {
    EXPECT_EQ(std::stoi((*it)[1]), static_cast<int>(seconds.size()) + 1);
    seconds.push_back(std::stoi((*it)[2]));
    means.push_back((*it)[3]);
  }
  ASSERT_EQ(seconds.size(), 2u) << out;
  for (int s : seconds) {
    EXPECT_GE(s, 1);
    EXPECT_LE(s, 6) << "a hot fix comes within seconds of the first RMC sentence";
  }
  EXPECT_EQ(means[0], FormatSeconds(seconds[0]));
  const double mean = (seconds[0] + seconds[1]) / 2.0;
  EXPECT_EQ(means[1], FormatSeconds(mean));

  // The result field as the tab shows it, then the spread.
  EXPECT_TRUE(Has(out, "Hot:" + FormatSeconds(mean) + "\n")) << out;
  EXPECT_TRUE(Has(out, "mean    " + FormatSeconds(mean) + "\n")) << out;
  EXPECT_TRUE(Has(out, "minimum " + FormatSeconds(std::min(seconds[0], seconds[1])))) << out;
  EXPECT_TRUE(Has(out, "maximum " + FormatSeconds(std::max(seconds[0], seconds[1])))) << out;
  EXPECT_TRUE(Has(out, "valid   2 of 2\n")) << out;

  // Hot restarts carry 00h 00h, unlike the command tree's 00h 01h.
  EXPECT_EQ(RestartsWithMode(0x00, 0x00), 2u);
  EXPECT_GE(receiver->restarts(), 2u);

  const std::string table = ReadText(csv);
  EXPECT_EQ(Count(table, "\n"), 3u) << table;
  EXPECT_EQ(Count(table, ",hot,"), 2u) << table;
  EXPECT_EQ(Count(table, ",yes,counted,"), 2u) << table;
}

TEST_F(TtffWithVirtualReceiver, CtrlCStopsAWarmTestWhoseFixesComeTooEarly) {
  Start(sim::SimOptions{});
  receiver->faults().earlyFix = true;  // warm fixes within 4 to 7 s: never counted
  const std::string csv = folder / "ttff.csv";
  CliProcess run(
      {"ttff", "--port", receiver->devicePath(), "--mode", "warm", "--cycles", "1", "--csv", csv});
  ASSERT_TRUE(run.WaitForOut("fix under 10 s, cycle repeated", 60s)) << run.out() << run.err();
  run.Signal(SIGINT);
  EXPECT_EQ(run.WaitForExit(20s), 130) << run.err();
  const std::string& out = run.out();
  EXPECT_TRUE(Has(out, "Cycle 1: first fix ")) << out;
  EXPECT_FALSE(Has(out, "Cycle 2")) << "an uncounted fix does not advance the cycle\n" << out;
  EXPECT_TRUE(Has(out, "Warm:\n")) << "no mean without a counted cycle\n" << out;
  EXPECT_TRUE(Has(out, "valid   0 of ")) << out;
  EXPECT_GE(RestartsWithMode(0x01, 0x02), 1u);

  const std::string table = ReadText(csv);
  EXPECT_TRUE(Has(table, "1,warm,")) << table;
  EXPECT_TRUE(Has(table, ",no,fix under 10 s\\, cycle repeated,") ||
              Has(table, ",no,\"fix under 10 s, cycle repeated\","))
      << table;
  EXPECT_FALSE(Has(table, ",yes,")) << table;
}

TEST_F(TtffWithVirtualReceiver, MaxSecondsEndsAnUnattendedRunWithItsSummary) {
  Start(sim::SimOptions{});
  receiver->faults().earlyFix = true;  // warm fixes never count: the run would never end
  CliProcess run({"ttff", "--port", receiver->devicePath(), "--mode", "warm", "--cycles", "1",
                  "--max-seconds", "3"});
  EXPECT_EQ(run.WaitForExit(30s), 4) << run.out() << run.err();
  EXPECT_TRUE(Has(run.out(), "Warm:\n")) << run.out();
  EXPECT_TRUE(Has(run.out(), "valid   0 of ")) << run.out();
  EXPECT_TRUE(Has(run.err(), "stopped after 3 s (--max-seconds)")) << run.err();
}

TEST_F(TtffWithVirtualReceiver, AWrongRateEndsTheTestWithWhatTheLineShowed) {
  Start(sim::SimOptions{});
  // The receiver talks at 4800: at 9600 only garbage arrives.
  CliProcess run({"ttff", "--port", receiver->devicePath(), "--baud", "9600", "--mode", "hot",
                  "--cycles", "5"});
  EXPECT_EQ(run.WaitForExit(40s), 1) << run.out() << run.err();
  EXPECT_TRUE(Has(run.err(),
                  "stopped: nothing valid from the receiver in 10 s; bytes arrive but "
                  "no valid sentence: wrong baud rate? Try `vetra scan`"))
      << run.err();
}

}  // namespace
}  // namespace vetra::testing
