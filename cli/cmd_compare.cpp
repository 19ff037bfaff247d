// vetra compare TEST REF [--max-gap S] [--lever F,R,U] [--ref-quality any|dgps|rtk-float|rtk-fixed]
//                        [--json] [--csv FILE] [--plot FILE.svg]
// A receiver under test against a reference receiver, from two raw receive logs of any receivers
// (NMEA of any talker, or the module's binary output), read as streams and merged by UTC time
// (compare/epoch_comparison.h has the rules). Plain text figures, or one JSON object with --json;
// the rows as CSV, and a plot page as SVG.
// Exit status: 0; 1 when either log has no fix, the logs do not overlap in time, or an output
// cannot be written (the figures are still printed); 2 when a log cannot be read or an option
// does not read.
#include <cstdio>
#include <optional>
#include <string>

#include "cli/command_registry.h"
#include "cli/standard_output.h"
#include "compare/compare_csv.h"
#include "compare/compare_logs.h"
#include "compare/compare_plot.h"
#include "compare/compare_report.h"
#include "util/whole_file.h"

namespace vetra::cli {
namespace {

struct CompareArgs {
  std::string test, reference;
  double maxGapS = 1.0;
  std::string lever;
  std::string referenceQuality = "any";
  bool json = false;
  std::string csv, plot;
};

int Compare(const CompareArgs& args) {
  CompareOptions options;
  options.maxGapS = args.maxGapS;
  options.referenceQuality = *ParseReferenceQuality(args.referenceQuality);
  if (!args.lever.empty()) {
    const std::optional<LeverArm> lever = ParseLeverArm(args.lever);
    if (!lever) {
      std::fprintf(stderr,
                   "vetra compare: --lever '%s': give F,R,U, the test antenna's offset from the "
                   "reference antenna in metres forward, right and up\n",
                   args.lever.c_str());
      return 2;
    }
    options.lever = *lever;
  }

  std::optional<WholeFileWriter> csv;
  if (!args.csv.empty()) {
    csv.emplace(args.csv);
    if (!csv->ok()) {
      std::fprintf(stderr, "vetra compare: cannot write '%s': %s\n", args.csv.c_str(),
                   csv->error().c_str());
      return 1;
    }
    csv->Write(CompareCsvHeader());
  }
  ComparePlot plot;
  const bool plotting = !args.plot.empty();
  EpochComparison comparison(options, [&](const ComparedEpoch& row) {
    if (csv) csv->Write(CompareCsvRow(row));
    if (plotting) plot.Add(row);
  });
  const CompareLogsResult result = CompareLogs(args.test, args.reference, comparison);
  if (!result.error.empty()) {
    std::fprintf(stderr, "vetra compare: %s\n", result.error.c_str());
    return 2;
  }

  int status = 0;
  const CompareFigures& figures = result.figures;
  const std::string report = args.json ? CompareJson(figures) : CompareText(figures);
  // A failed write is said once, by main (cli/standard_output.h).
  if (!WriteStandardOutput(report)) status = 1;
  if (csv && !csv->Commit()) {
    std::fprintf(stderr, "vetra compare: cannot write '%s': %s\n", args.csv.c_str(),
                 csv->error().c_str());
    status = 1;
  }
  std::string plotError;
  if (plotting && !WriteFileWhole(args.plot,
                                  plot.Svg(figures, comparison.errors().SortedHorizontal(),
                                           args.test, args.reference),
                                  &plotError)) {
    std::fprintf(stderr, "vetra compare: cannot write '%s': %s\n", args.plot.c_str(),
                 plotError.c_str());
    status = 1;
  }

  if (figures.testFixes == 0) {
    std::fprintf(stderr, "vetra compare: test log '%s': %s\n", args.test.c_str(),
                 NoFixReason(result.testCounts).c_str());
    return 1;
  }
  if (figures.referenceFixes == 0) {
    std::fprintf(stderr, "vetra compare: reference log '%s': %s\n", args.reference.c_str(),
                 NoFixReason(result.referenceCounts).c_str());
    return 1;
  }
  if (!figures.overlap) {
    std::fprintf(stderr, "vetra compare: the logs '%s' and '%s' do not overlap in time\n",
                 args.test.c_str(), args.reference.c_str());
    return 1;
  }
  return status;
}

CommandRegistration registration{
    "compare",
    "A receiver under test against a reference receiver, from two raw logs: errors, CEP, "
    "availability",
    [](CLI::App& sub) -> std::function<int()> {
      auto args = std::make_shared<CompareArgs>();
      sub.add_option("test", args->test, "Raw receive log of the receiver under test")->required();
      sub.add_option("reference", args->reference, "Raw receive log of the reference receiver")
          ->required();
      sub.add_option("--max-gap", args->maxGapS,
                     "Largest time in seconds between two reference epochs that a test epoch is "
                     "interpolated between (default 1.0)")
          ->check(CLI::PositiveNumber);
      sub.add_option("--lever", args->lever,
                     "Offset F,R,U in metres from the reference antenna to the test antenna "
                     "(forward, right, up in the vehicle)");
      sub.add_option("--ref-quality", args->referenceQuality,
                     "Reference fixes of this quality or better only (default any)")
          ->check(CLI::IsMember({"any", "dgps", "rtk-float", "rtk-fixed"}));
      sub.add_flag("--json", args->json, "One JSON object instead of plain text");
      sub.add_option("--csv", args->csv, "Writes one row per test epoch to FILE");
      sub.add_option("--plot", args->plot,
                     "Writes a plot page (errors over time, their distribution, the east/north "
                     "scatter) to FILE.svg");
      return [args] { return Compare(*args); };
    }};

}  // namespace
}  // namespace vetra::cli
