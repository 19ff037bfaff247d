#pragma once
// What a start-up time test keeps of each restart, and the figures a test report gives: beside the
// running mean (the screen's "%5.1fs") the minimum, median, maximum, sample standard deviation and
// the valid count "L of M" (cycles counted of restarts sent, so repeated restarts and uncounted
// early fixes show), and a CSV of every restart.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ttff/restart_frame.h"

namespace vetra {

enum class CycleOutcome {
  Pending,     // the restart went out; no end yet
  Counted,     // the fix counted and the cycle ended: part of the mean
  EarlyFix,    // a warm or cold fix under 10 s: not counted, the cycle starts again
  NoRevision,  // no revision sentence within four ticks: restarted again
  Stopped,     // the user stopped the test before the cycle ended
  NotSent,     // the restart frame could not be written
};

struct TtffCycle {
  int cycle = 0;  // the cycle number shown ("Cycle %d"); repeated restarts share it
  TestType mode = TestType::Hot;
  int64_t restartUtc = 0;    // when the restart frame was sent, seconds since the epoch
  int firstFixSeconds = -1;  // -1: no fix seen
  CycleOutcome outcome = CycleOutcome::Pending;
  std::string detail;  // what went wrong when the frame was not sent
  // The position at the fix, signed (north and east positive), at the precision of the receiver's
  // own digits (the record's exact fix); NaN when the receiver gave none.
  double latitudeDeg = std::numeric_limits<double>::quiet_NaN();
  double longitudeDeg = std::numeric_limits<double>::quiet_NaN();
};

// Why an outcome is or is not counted, as the CSV and the cycle list say it.
std::string_view OutcomeText(CycleOutcome outcome, bool fixSeen);

struct TtffStatistics {
  int counted = 0;       // L
  int restartsSent = 0;  // M
  std::optional<double> mean, minimum, median, maximum;
  std::optional<double> standardDeviation;  // sample (n - 1); needs two counted cycles
};

TtffStatistics Summarise(const std::vector<TtffCycle>& cycles);

// "%5.1fs": " 30.0s". The mean field's exact text.
std::string FormatSeconds(double seconds);
// "L of M".
std::string ValidCountText(const TtffStatistics& statistics);
// One line per figure, "-" where there is none yet.
std::string SummaryText(const TtffStatistics& statistics);

// cycle,mode,restart_utc,first_fix_s,counted,reason,latitude,longitude
// Times as 2024-05-01T12:00:00Z; positions signed (S and W negative) with nine decimals (0.1 mm),
// empty without a fix.
std::string CsvText(const std::vector<TtffCycle>& cycles);
// Writes CsvText to path; false (and nothing half-written left behind) when it cannot.
bool WriteCsv(const std::string& path, const std::vector<TtffCycle>& cycles);

std::string_view ModeName(TestType type);  // "hot", "warm", "cold"

}  // namespace vetra
