#include "ttff/ttff_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "util/utc_time.h"
#include "util/whole_file.h"

namespace vetra {

std::string_view ModeName(TestType type) {
  switch (type) {
    case TestType::Hot:
      return "hot";
    case TestType::Warm:
      return "warm";
    case TestType::Cold:
      return "cold";
  }
  return "";
}

std::string_view OutcomeText(CycleOutcome outcome, bool fixSeen) {
  switch (outcome) {
    case CycleOutcome::Pending:
      return "running";
    case CycleOutcome::Counted:
      return "counted";
    case CycleOutcome::EarlyFix:
      return "fix under 10 s, cycle repeated";
    case CycleOutcome::NoRevision:
      return "no revision sentence, restart repeated";
    case CycleOutcome::Stopped:
      return fixSeen ? "stopped during the pause" : "stopped before the fix";
    case CycleOutcome::NotSent:
      return "restart not sent";
  }
  return "";
}

TtffStatistics Summarise(const std::vector<TtffCycle>& cycles) {
  TtffStatistics s;
  std::vector<double> times;
  for (const TtffCycle& c : cycles) {
    if (c.outcome != CycleOutcome::NotSent) s.restartsSent++;
    if (c.outcome == CycleOutcome::Counted) times.push_back(c.firstFixSeconds);
  }
  s.counted = static_cast<int>(times.size());
  if (times.empty()) return s;
  std::sort(times.begin(), times.end());
  const size_t n = times.size();
  double sum = 0;
  for (double t : times) sum += t;
  const double mean = sum / static_cast<double>(n);
  s.mean = mean;
  s.minimum = times.front();
  s.maximum = times.back();
  s.median = n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2.0;
  if (n >= 2) {
    double squares = 0;
    for (double t : times) squares += (t - mean) * (t - mean);
    s.standardDeviation = std::sqrt(squares / static_cast<double>(n - 1));
  }
  return s;
}

std::string FormatSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%5.1fs", seconds);
  return text;
}

std::string ValidCountText(const TtffStatistics& statistics) {
  return std::to_string(statistics.counted) + " of " + std::to_string(statistics.restartsSent);
}

std::string SummaryText(const TtffStatistics& s) {
  auto figure = [](const std::optional<double>& v) { return v ? FormatSeconds(*v) : "    -"; };
  std::string text;
  text += "mean    " + figure(s.mean) + "\n";
  text += "minimum " + figure(s.minimum) + "\n";
  text += "median  " + figure(s.median) + "\n";
  text += "maximum " + figure(s.maximum) + "\n";
  text += "std dev " + figure(s.standardDeviation) + "\n";
  text += "valid   " + ValidCountText(s) + "\n";
  return text;
}

namespace {

std::string UtcText(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  const std::tm utc = UtcTime(t);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

// Empty when the receiver gave no position.
std::string Degrees(double value) {
  if (!std::isfinite(value)) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%.9f", value);
  return text;
}

// A field that holds a comma or a quote is quoted, its quotes doubled.
std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string CsvText(const std::vector<TtffCycle>& cycles) {
  std::string csv = "cycle,mode,restart_utc,first_fix_s,counted,reason,latitude,longitude\n";
  for (const TtffCycle& c : cycles) {
    const bool fix = c.firstFixSeconds >= 0;
    std::string reason(OutcomeText(c.outcome, fix));
    if (!c.detail.empty()) reason += ": " + c.detail;
    csv += std::to_string(c.cycle) + ",";
    csv += std::string(ModeName(c.mode)) + ",";
    csv += UtcText(c.restartUtc) + ",";
    csv += (fix ? std::to_string(c.firstFixSeconds) : "") + ",";
    csv += c.outcome == CycleOutcome::Counted ? "yes," : "no,";
    csv += CsvField(reason) + ",";
    csv += fix ? Degrees(c.latitudeDeg) : "";
    csv += ",";
    csv += fix ? Degrees(c.longitudeDeg) : "";
    csv += "\n";
  }
  return csv;
}

bool WriteCsv(const std::string& path, const std::vector<TtffCycle>& cycles) {
  // Written beside the target and renamed over it, so a failed write leaves no half file.
  return WriteFileWhole(path, CsvText(cycles));
}

}  // namespace vetra
