// vetra stats [FILE|-] [--ref LAT,LON[,ALT]] [--json]
// Position statistics of a raw receive log, decoded through the same split-and-parse path as
// `vetra decode`: the number of fixes by mode, the mean position, CEP50, CEP95, 2DRMS, horizontal
// and vertical RMS and the largest horizontal error, in metres (monitor/position_statistics.h has
// the definitions). Plain text, or one JSON object with --json.
// Exit status: 0; 1 when the log holds no 2D or 3D fix (the report still says so); 2 when the file
// cannot be read or --ref does not read as LAT,LON[,ALT].
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "cli/standard_output.h"
#include "link/open_file.h"
#include "monitor/decode_stream.h"
#include "monitor/position_statistics.h"

namespace vetra::cli {
namespace {

struct StatsArgs {
  std::string file = "-";
  std::string reference;
  bool json = false;
};

int Stats(const StatsArgs& args) {
  std::optional<ReferencePosition> reference;
  if (!args.reference.empty()) {
    reference = ParseReference(args.reference);
    if (!reference) {
      std::fprintf(stderr,
                   "vetra stats: --ref '%s': give LAT,LON[,ALT] in signed decimal degrees "
                   "(latitude within 90, longitude within 180) and metres above the ellipsoid\n",
                   args.reference.c_str());
      return 2;
    }
  }
  std::FILE* file = args.file == "-" ? stdin : vetra::OpenFile(args.file, "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "vetra stats: cannot read '%s': %s\n", args.file.c_str(),
                 std::strerror(errno));
    return 2;
  }
  FixSeries series;
  DecodeStream stream(DecodeStream::Format::None, DecodeStream::kDefaultRunBytes,
                      [](std::string_view) {});
  stream.SetPositionSink([&series](const TNavRecord& record) {
    if (const auto sample = FixSampleOf(record)) series.Add(*sample);
  });
  std::vector<uint8_t> buffer(1 << 20);
  size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
    stream.Feed(buffer.data(), got);
  }
  const bool readFailed = std::ferror(file) != 0;
  if (file != stdin) std::fclose(file);
  if (readFailed) {
    std::fprintf(stderr, "vetra stats: error reading '%s': %s\n", args.file.c_str(),
                 std::strerror(errno));
    return 2;
  }
  stream.Finish();

  const PositionStatistics statistics = ComputeStatistics(series.samples(), reference);
  const std::string report = args.json ? StatisticsJson(statistics) : StatisticsText(statistics);
  if (!WriteStandardOutput(report)) return StandardOutputFailed();
  if (statistics.fixes == 0) {
    std::fprintf(stderr, "vetra stats: no 2D or 3D fix in '%s'\n", args.file.c_str());
    return 1;
  }
  return 0;
}

CommandRegistration registration{
    "stats", "Position statistics of a raw receive log: CEP50, CEP95, 2DRMS, RMS, in metres",
    [](CLI::App& sub) -> std::function<int()> {
      auto args = std::make_shared<StatsArgs>();
      sub.add_option("file", args->file, "Raw receive log; '-' or none reads standard input");
      sub.add_option("--ref", args->reference,
                     "Reference position LAT,LON[,ALT] (degrees, metres above the ellipsoid); "
                     "default: the mean of the fixes");
      sub.add_flag("--json", args->json, "One JSON object instead of plain text");
      return [args] { return Stats(*args); };
    }};

}  // namespace
}  // namespace vetra::cli
