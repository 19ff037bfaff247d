// Speed of `vetra stats`: a raw receive log through the decode path with the position sink alone
// (no output formatting), one fix sample per GGA or RMC, then the figures over all the fixes
// (ECEF mean, east/north/up rotation, sorted percentiles). Input: the 1 Hz stream of the stream
// generator bench/nmea_stream.py (GGA, GSA, three GSV, RMC, VTG at 12 satellites). Goal: a 100 MB
// log at 100 MB/s or more.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "monitor/decode_stream.h"
#include "monitor/position_statistics.h"

namespace {

const std::string& StatsStream() {
  static const std::string stream = [] {
    const std::string command =
        "python3 " VETRA_SOURCE_DIR "/bench/nmea_stream.py --epochs 8000 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[65536];
      size_t n = 0;
      while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
      pclose(pipe);
    }
    return out;
  }();
  return stream;
}

void BM_StatsOfLog(benchmark::State& state) {
  const std::string& input = StatsStream();
  if (input.empty()) {
    state.SkipWithError("no input (is python3 and the stream generator there?)");
    return;
  }
  size_t fixes = 0;
  for (auto _ : state) {
    vetra::FixSeries series;
    vetra::DecodeStream stream(vetra::DecodeStream::Format::None,
                               vetra::DecodeStream::kDefaultRunBytes, [](std::string_view) {});
    stream.SetPositionSink([&series](const vetra::TNavRecord& record) {
      if (auto fix = vetra::FixSampleOf(record)) series.Add(*fix);
    });
    stream.Feed(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    stream.Finish();
    const vetra::PositionStatistics statistics =
        vetra::ComputeStatistics(series.samples(), std::nullopt);
    benchmark::DoNotOptimize(statistics);
    fixes = series.samples().size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  state.counters["fixes"] = static_cast<double>(fixes);
}

BENCHMARK(BM_StatsOfLog)->Unit(benchmark::kMillisecond);

}  // namespace
