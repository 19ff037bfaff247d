// Speed of TNmea::Feed on a realistic 1 Hz stream (GGA, GSA, three GSV, RMC and VTG per second
// at 12 satellites, made by the stream generator bench/nmea_stream.py), fed both ways: whole
// buffers (Feed again and again on the remainder) and one sentence per call, as the monitoring path
// hands it each sentence from its '$'. The checksum-only floor runs over the same stream in the
// same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "decode/nmea.h"

namespace {

// About 1 MB of 1 Hz output, made once.
const std::string& Stream1Hz() {
  static const std::string stream = [] {
    const std::string command = "python3 " VETRA_SOURCE_DIR "/bench/nmea_stream.py --epochs 2200";
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

std::string ReadCapture(const char* name) {
  std::ifstream in(std::string(VETRA_TESTDATA) + "/nmea-real/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Feeds bytes in pieces of `piece` bytes, each fed again on its remainder.
int64_t FeedAll(vetra::TNmea& nmea, const std::string& bytes, size_t piece) {
  int64_t results = 0;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  for (size_t start = 0; start < bytes.size(); start += piece) {
    const uint8_t* p = data + start;
    int left = static_cast<int>(std::min(piece, bytes.size() - start));
    while (left > 0) {
      const vetra::NmeaFeed fed = nmea.Feed(p, left);
      results += fed.result != 0;
      p += fed.consumed;
      left -= fed.consumed;
    }
  }
  return results;
}

void RunFeed(benchmark::State& state, const std::string& bytes, size_t piece) {
  if (bytes.empty()) {
    state.SkipWithError("no input (is python3 and the stream generator there?)");
    return;
  }
  vetra::TNmea nmea;
  int64_t results = 0;
  for (auto _ : state) {
    results += FeedAll(nmea, bytes, piece);
    benchmark::DoNotOptimize(nmea.record());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
  state.counters["sentences/s"] =
      benchmark::Counter(static_cast<double>(results), benchmark::Counter::kIsRate);
}

// Each sentence (up to and with its LF) in a call of its own.
void BM_NmeaFeed1HzStreamOneSentencePerCall(benchmark::State& state) {
  const std::string& bytes = Stream1Hz();
  if (bytes.empty()) {
    state.SkipWithError("no input (is python3 and the stream generator there?)");
    return;
  }
  std::vector<std::pair<size_t, int>> sentences;  // start and length
  for (size_t start = 0; start < bytes.size();) {
    const size_t lf = std::min(bytes.find('\n', start), bytes.size() - 1);
    sentences.emplace_back(start, static_cast<int>(lf + 1 - start));
    start = lf + 1;
  }
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  vetra::TNmea nmea;
  int64_t results = 0;
  for (auto _ : state) {
    for (const auto& [start, length] : sentences) {
      const uint8_t* p = data + start;
      int left = length;
      while (left > 0) {
        const vetra::NmeaFeed fed = nmea.Feed(p, left);
        results += fed.result != 0;
        p += fed.consumed;
        left -= fed.consumed;
      }
    }
    benchmark::DoNotOptimize(nmea.record());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
  state.counters["sentences/s"] =
      benchmark::Counter(static_cast<double>(results), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NmeaFeed1HzStreamOneSentencePerCall);

// The whole stream as one buffer.
void BM_NmeaFeed1HzStream(benchmark::State& state) { RunFeed(state, Stream1Hz(), SIZE_MAX); }
BENCHMARK(BM_NmeaFeed1HzStream);

// In the monitoring task's 2048-byte reads.
void BM_NmeaFeed1HzStreamIn2048ByteReads(benchmark::State& state) {
  RunFeed(state, Stream1Hz(), 2048);
}
BENCHMARK(BM_NmeaFeed1HzStreamIn2048ByteReads);

// A real receiver's capture with all seven sentence kinds.
void BM_NmeaFeedNavikaCapture(benchmark::State& state) {
  static const std::string capture = ReadCapture("navika-100-fix.log");
  RunFeed(state, capture, SIZE_MAX);
}
BENCHMARK(BM_NmeaFeedNavikaCapture);

// Mostly binary data with a few sentences between: the idle path.
void BM_NmeaFeedBinaryHeavyCapture(benchmark::State& state) {
  static const std::string capture = ReadCapture("ublox-zed-f9p_hpg1.11.log");
  RunFeed(state, capture, SIZE_MAX);
}
BENCHMARK(BM_NmeaFeedBinaryHeavyCapture);

// For scale: the least any parser must do, one XOR per byte between '$' and '*'.
void BM_ChecksumOnlyBaseline(benchmark::State& state) {
  const std::string& bytes = Stream1Hz();
  for (auto _ : state) {
    uint32_t sum = 0;
    uint8_t x = 0;
    bool inside = false;
    for (const char ch : bytes) {
      const auto c = static_cast<uint8_t>(ch);
      if (c == '$') {
        inside = true;
        x = 0;
      } else if (c == '*') {
        inside = false;
        sum += x;
      } else if (inside) {
        x ^= c;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_ChecksumOnlyBaseline);

}  // namespace
