// vetra ttff --port NAME|PATH [--baud N] --mode hot|warm|cold --cycles N [--wait S] [--csv FILE]
//            [--max-seconds S]
// The start-up time test of the TTFF tab from a terminal: the same state machine, stepped once a
// second against the receiver conversation. One line per restart that ended (counted, repeated, not
// sent), then the summary: the mean as the tab's result field shows it ("%5.1fs"), minimum,
// median, maximum, sample standard deviation and the valid count. --csv writes every restart
// (cycle, mode, restart time, first-fix seconds, counted or why not, position at the fix).
// On a terminal, stderr shows the tab's live status ("Cycle 1  Fixing.....  12").
// --max-seconds ends an unattended run that has not finished by then (a receiver that never fixes
// or never counts), as the Stop button does.
// A line that shows no valid sentence or frame in its first 10 s (a wrong --baud, no receiver)
// ends the test with what the line showed, instead of repeating restarts.
// Exit status: 0 when all cycles ended; 1 when the port does not open or fails, the line shows
// nothing valid, or the CSV cannot be written; 2 for a usage error; 4 when --max-seconds ended the
// test; 130 when Ctrl-C stopped it (as the Stop button does: the summary and the CSV hold the
// cycles finished before).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/baud_option.h"
#include "cli/command_registry.h"
#include "cli/console.h"
#include "cli/receiver_session.h"
#include "ttff/conversation_ttff_monitor.h"
#include "ttff/ttff_campaign.h"
#include "util/clock.h"

namespace vetra::cli {
namespace {

constexpr const char* kProgram = "vetra ttff";

struct TtffArgs {
  std::string port;
  int baud = 4800;
  std::string mode;
  int cycles = 1;
  int waitSeconds = 3;
  std::string csv;
  int maxSeconds = 0;  // 0: no limit
};

constexpr int kExitTimeLimit = 4;
// Seconds after which a line that has shown no valid sentence or frame ends the test.
constexpr int kSilentLineSeconds = 10;

TestType ModeOf(const std::string& name) {
  if (name == "warm") return TestType::Warm;
  if (name == "cold") return TestType::Cold;
  return TestType::Hot;
}

// One line for a restart that ended.
std::string CycleLine(const TtffCycle& cycle, const std::string& meanText) {
  std::string line = "Cycle " + std::to_string(cycle.cycle) + ": ";
  const bool fixSeen = cycle.firstFixSeconds >= 0;
  if (fixSeen) line += "first fix " + std::to_string(cycle.firstFixSeconds) + " s, ";
  line += OutcomeText(cycle.outcome, fixSeen);
  if (!cycle.detail.empty()) line += ": " + cycle.detail;
  if (cycle.outcome == CycleOutcome::Counted) line += ", mean " + meanText;
  return line;
}

// The tab's live labels on one redrawn stderr line, on a terminal only.
class LiveStatus {
 public:
  LiveStatus() : terminal_(StderrIsTerminal()) {}
  void Show(const TtffPanel& panel) {
    if (!terminal_) return;
    const std::string text = panel.testCycle + "  " + panel.gpsStatus + "  " + panel.testStatus;
    if (text == shown_) return;
    std::fprintf(stderr, "\r%-40s", text.c_str());
    std::fflush(stderr);
    shown_ = text;
  }
  // Clears the line so that a result line can be printed.
  void Clear() {
    if (!terminal_ || shown_.empty()) return;
    std::fprintf(stderr, "\r%-40s\r", "");
    std::fflush(stderr);
    shown_.clear();
  }

 private:
  bool terminal_;
  std::string shown_;
};

// The test hears the receiver's passes while it exists.
class PassesTo {
 public:
  PassesTo(ReceiverSession& session, IPassDisplay& display) : session_(session) {
    session_.ShowPassesTo(&display);
  }
  ~PassesTo() { session_.ShowPassesTo(nullptr); }
  PassesTo(const PassesTo&) = delete;
  PassesTo& operator=(const PassesTo&) = delete;

 private:
  ReceiverSession& session_;
};

int RunTtff(const TtffArgs& args) {
  ReceiverSession session(kProgram);
  if (const int opened = session.Open(args.port, args.baud); opened != 0) return opened;

  ConversationTtffMonitor monitor(session.conversation());
  TtffCampaign test(monitor, SystemClock::instance());
  const PassesTo heard(session, test);
  test.panel().cyclesText = std::to_string(args.cycles);
  test.panel().waitTimeText = std::to_string(args.waitSeconds);
  const TestType type = ModeOf(args.mode);
  const int index = static_cast<int>(type) - 1;
  test.ButtonClicked(type);
  const std::string label = test.panel().ttffMode;  // "Hot:", "Warm:", "Cold:"
  std::printf("%s %d cycle%s\n", label.c_str(), args.cycles, args.cycles == 1 ? "" : "s");
  std::fflush(stdout);

  LiveStatus live;
  size_t reported = 0;
  const auto reportEnded = [&] {
    const auto& cycles = test.cycles();
    while (reported < cycles.size() && cycles[reported].outcome != CycleOutcome::Pending) {
      live.Clear();
      std::printf("%s\n", CycleLine(cycles[reported], test.panel().results[index]).c_str());
      ++reported;
    }
    std::fflush(stdout);
  };

  // The tab's one-second timer: ticks on a steady schedule, so a slow tick does not shift the
  // ones after it.
  bool interrupted = false;
  bool portFailed = false;
  bool timeLimit = false;
  bool lineSilent = false;
  Clock::time_point next = Clock::now();
  const Clock::time_point judgeLine = next + std::chrono::seconds(kSilentLineSeconds);
  const Clock::time_point limit =
      args.maxSeconds > 0 ? next + std::chrono::seconds(args.maxSeconds) : Clock::time_point::max();
  while (test.panel().timerRunning) {
    next += std::chrono::seconds(1);
    if (!session.PauseUntil(std::min(next, limit))) {
      interrupted = session.interrupted();
      portFailed = !interrupted;
      test.ButtonClicked(type);  // Stop
      break;
    }
    if (Clock::now() >= limit) {
      timeLimit = true;
      test.ButtonClicked(type);
      break;
    }
    // A line that has shown nothing valid by now (wrong rate, no receiver) would only repeat
    // restarts until the limit.
    if (Clock::now() >= judgeLine && session.LineShowsNothingValid()) {
      lineSilent = true;
      test.ButtonClicked(type);
      break;
    }
    test.Tick();
    reportEnded();
    live.Show(test.panel());
  }
  reportEnded();
  live.Clear();

  // The tab's result field, then the spread.
  std::printf("%s%s\n%s", label.c_str(), test.panel().results[index].c_str(),
              SummaryText(test.statistics()).c_str());
  std::fflush(stdout);
  int status = 0;
  if (!args.csv.empty() && !WriteCsv(args.csv, test.cycles())) {
    std::fprintf(stderr, "%s: cannot write '%s'\n", kProgram, args.csv.c_str());
    status = 1;
  }
  if (portFailed) {
    std::fprintf(stderr, "%s: the receiver's port failed (unplugged?)\n", kProgram);
    return 1;
  }
  if (lineSilent) {
    std::fprintf(stderr, "%s: stopped: nothing valid from the receiver in %d s; %s\n", kProgram,
                 kSilentLineSeconds, session.LineNote().c_str());
    return 1;
  }
  if (interrupted) {
    std::fprintf(stderr, "%s: stopped\n", kProgram);
    return kExitInterrupted;
  }
  if (timeLimit) {
    std::fprintf(stderr, "%s: stopped after %d s (--max-seconds)\n", kProgram, args.maxSeconds);
    return kExitTimeLimit;
  }
  return status;
}

const CommandRegistration kTtff{
    "ttff", "Time the first fix after repeated hot, warm or cold restarts",
    [](CLI::App& sub) -> std::function<int()> {
      auto args = std::make_shared<TtffArgs>();
      sub.add_option("--port", args->port, "Port name (COM1..COM40) or device path")->required();
      AddBaudOption(sub, args->baud, "Line rate");
      sub.add_option("--mode", args->mode, "Restart mode")
          ->required()
          ->transform(CLI::IsMember({"hot", "warm", "cold"}, CLI::ignore_case));
      sub.add_option("--cycles", args->cycles, "Cycles to time, 1 to 10000")
          ->required()
          ->check(CLI::Range(1, 10000));
      sub.add_option("--wait", args->waitSeconds, "Seconds to wait after each fix, 3 to 20 (3)")
          ->check(CLI::Range(3, 20));
      sub.add_option("--csv", args->csv, "Write every restart to this CSV file");
      sub.add_option("--max-seconds", args->maxSeconds,
                     "End the test after this many seconds if it has not finished (exit 4)")
          ->check(CLI::PositiveNumber);
      return [args] { return RunTtff(*args); };
    }};

}  // namespace
}  // namespace vetra::cli
