// vetra stats [FILE|-] [--ref LAT,LON[,ALT]] [--json]
// Position statistics of a raw receive log of any receiver, read in pieces as epochs
// (epoch/epoch_stream.h): the number of fixes by mode, the mean position, CEP50, CEP95, 2DRMS,
// horizontal and vertical RMS and the largest horizontal error, in metres
// (statistics/position_statistics.h has the definitions and the memory bound). Plain text, or one
// JSON object with --json.
// Exit status: 0; 1 when the log holds no 2D or 3D fix (the report still says so, and stderr says
// why in numbers); 2 when the file cannot be read or --ref does not read as LAT,LON[,ALT].
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "cli/standard_output.h"
#include "epoch/epoch_stream.h"
#include "statistics/position_statistics.h"
#include "util/open_file.h"

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
  StatisticsModel model;
  model.SetReference(reference);
  EpochStream stream;
  std::vector<Epoch> epochs;
  const auto take = [&] {
    for (const Epoch& epoch : epochs) {
      if (const auto fix = FixSampleOf(epoch)) model.Add(*fix);
    }
    epochs.clear();
  };
  std::vector<uint8_t> buffer(1 << 20);
  size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
    stream.Feed(std::span<const uint8_t>(buffer.data(), got), epochs);
    take();
  }
  const bool readFailed = std::ferror(file) != 0;
  if (file != stdin) std::fclose(file);
  if (readFailed) {
    std::fprintf(stderr, "vetra stats: error reading '%s': %s\n", args.file.c_str(),
                 std::strerror(errno));
    return 2;
  }
  stream.Finish(epochs);
  take();

  const PositionStatistics statistics = model.Compute();
  const std::string report = args.json ? StatisticsJson(statistics) : StatisticsText(statistics);
  if (!WriteStandardOutput(report)) return StandardOutputFailed();
  if (statistics.fixes == 0) {
    // "no fix: 1,234 sentences read, ..." as the numbers after the file's name.
    std::string reason = NoFixReason(stream.counts());
    if (reason.rfind("no fix: ", 0) == 0) reason.erase(0, 8);
    if (reason.empty()) reason = "no epoch with a position";
    std::fprintf(stderr, "vetra stats: no 2D or 3D fix in '%s': %s\n", args.file.c_str(),
                 reason.c_str());
    return 1;
  }
  return 0;
}

CommandRegistration registration{
    "stats",
    "Position statistics of a raw receive log of any receiver: CEP50, CEP95, 2DRMS, RMS, in metres",
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
