// Speed of the epoch stream (NMEA reader, epoch assembler, the module's frames) over real output
// of several receivers: the NMEA captures of tests/data/nmea-real of a GPS-only, a GPS+GLONASS and
// a four-system receiver, repeated to about 16 MB and fed in reads of 2048 bytes, as the receiver
// conversation hands them on. Goal: a 1 GB log well over 100 MB/s.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "epoch/epoch_stream.h"

namespace {

const std::string& Log() {
  static const std::string log = [] {
    std::string one;
    for (const char* name : {"navika-100-fix.log", "ublox-8.log", "ublox-zed-f9p-nmea.log",
                             "mt3339.log", "polarx2.log"}) {
      std::ifstream in(std::string(VETRA_TESTDATA) + "/nmea-real/" + name, std::ios::binary);
      one.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string all;
    while (!one.empty() && all.size() < (16u << 20)) all += one;
    return all;
  }();
  return log;
}

void BM_EpochStreamRealCaptures(benchmark::State& state) {
  const std::string& log = Log();
  if (log.empty()) {
    state.SkipWithError("no captures");
    return;
  }
  constexpr size_t kRead = 2048;
  uint64_t epochs = 0;
  for (auto _ : state) {
    vetra::EpochStream stream;
    std::vector<vetra::Epoch> out;
    const auto* bytes = reinterpret_cast<const uint8_t*>(log.data());
    for (size_t at = 0; at < log.size(); at += kRead) {
      stream.Feed(std::span(bytes + at, std::min(kRead, log.size() - at)), out);
      epochs += out.size();
      out.clear();
    }
    stream.Finish(out);
    epochs += out.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(log.size()));
  state.counters["epochs/s"] =
      benchmark::Counter(static_cast<double>(epochs), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EpochStreamRealCaptures)->Unit(benchmark::kMillisecond);

}  // namespace
