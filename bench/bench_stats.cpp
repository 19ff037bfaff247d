// Speed of `vetra stats`: a raw receive log read as epochs (epoch/epoch_stream.h), one fix sample
// per epoch into the statistics model, then the figures (sums for the mean and the RMS, the
// east/north rotation of every kept position for the percentiles). Input: the 1 Hz stream of the
// stream generator bench/nmea_stream.py (GGA, GSA, three GSV, RMC, VTG at 12 satellites). Goal: a
// 100 MB log at 100 MB/s or more.
//
// BM_StatisticsSoak24h: the memory of a day at 10 Hz (864,000 epochs of simulated time) fed to the
// statistics model and the Statistics window's series (plots and CSV spool), as the window holds
// them; VmRSS after hour 1 and hour 24 in the counters. Goal: less than 20 MB of growth.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "epoch/epoch_stream.h"
#include "statistics/csv_spool.h"
#include "statistics/fix_history.h"
#include "statistics/position_statistics.h"

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
  int64_t fixes = 0;
  for (auto _ : state) {
    vetra::StatisticsModel model;
    vetra::EpochStream stream;
    std::vector<vetra::Epoch> epochs;
    stream.Feed(std::span(reinterpret_cast<const uint8_t*>(input.data()), input.size()), epochs);
    stream.Finish(epochs);
    for (const vetra::Epoch& epoch : epochs) {
      if (auto fix = vetra::FixSampleOf(epoch)) model.Add(*fix);
    }
    const vetra::PositionStatistics statistics = model.Compute();
    benchmark::DoNotOptimize(statistics);
    fixes = model.fixes();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  state.counters["fixes"] = static_cast<double>(fixes);
}

BENCHMARK(BM_StatsOfLog)->Unit(benchmark::kMillisecond);

// The resident set of this process in MB (Linux: /proc/self/status).
double ResidentMb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

// An epoch of a receiver standing still at 10 Hz: a few metres of noise, 12 satellites in view.
vetra::Epoch SoakEpoch(int64_t k) {
  vetra::Epoch e;
  e.timeOfDayMs = (k * 100) % 86'400'000;
  e.date = vetra::UtcDate{2026, 12, 8 + static_cast<int>(k / 864'000)};
  e.mode = vetra::FixMode::ThreeD;
  e.quality = vetra::FixQuality::Autonomous;
  e.latitudeDeg = 47.3769 + 2e-5 * std::sin(static_cast<double>(k) * 0.731);
  e.longitudeDeg = 8.5417 + 3e-5 * std::cos(static_cast<double>(k) * 0.377);
  e.altitudeMslM = 410 + 3 * std::sin(static_cast<double>(k) * 0.113);
  e.geoidSeparationM = 48;
  e.hdop = 0.9;
  e.satellitesUsed = 9;
  e.hasSky = true;
  for (int prn = 1; prn <= 12; ++prn) {
    vetra::EpochSatellite satellite;
    satellite.prn = prn;
    satellite.svid = prn;
    satellite.cn0DbHz = 30 + prn;
    satellite.used = prn <= 9;
    e.satellites.push_back(satellite);
  }
  return e;
}

void BM_StatisticsSoak24h(benchmark::State& state) {
  constexpr int64_t kHour = 36'000;  // epochs at 10 Hz
  for (auto _ : state) {
    vetra::StatisticsModel model;
    vetra::FixHistory history;
    vetra::CsvSpool csv;
    double hour1 = 0;
    for (int64_t k = 0; k < 24 * kHour; ++k) {
      std::optional<vetra::PlotPoint> point = vetra::PlotPointOf(SoakEpoch(k));
      model.Add(point->fix);
      csv.Add(point->fix);
      history.Add(std::move(*point));
      if (k + 1 == kHour) {
        benchmark::DoNotOptimize(model.Compute());
        hour1 = ResidentMb();
      }
    }
    benchmark::DoNotOptimize(model.Compute());
    const double hour24 = ResidentMb();
    state.counters["VmRSS_hour1_MB"] = hour1;
    state.counters["VmRSS_hour24_MB"] = hour24;
    state.counters["growth_MB"] = hour24 - hour1;
    std::printf("VmRSS at hour 1: %.1f MB, at hour 24: %.1f MB (growth %.1f MB)\n", hour1, hour24,
                hour24 - hour1);
  }
}

BENCHMARK(BM_StatisticsSoak24h)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
