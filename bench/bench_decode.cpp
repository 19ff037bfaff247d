// Speed of the whole `vetra decode` path: runs of 1024 bytes through the monitoring task's split
// and parse (TNmea, TBinary, the echo), the end-of-pass hand-off, and the output formatting, brief
// and JSON. Input: a realistic 1 Hz stream (GGA, GSA, three GSV, RMC, VTG at 12 satellites, from
// the stream generator bench/nmea_stream.py), and the same stream with the receiver's binary
// navigation frames between its epochs.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "epoch/epoch_stream.h"
#include "link/frame.h"
#include "present/decode_format.h"
#include "present/decode_stream.h"

namespace {

using vetra::DecodeStream;

const std::string& GeneratedStream() {
  static const std::string stream = [] {
    const std::string command =
        "python3 " VETRA_SOURCE_DIR "/bench/nmea_stream.py --epochs 4400 2>/dev/null";
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

std::string Frame(uint8_t id, size_t payloadSize, uint8_t seed) {
  std::vector<uint8_t> payload(payloadSize);
  for (size_t i = 0; i < payloadSize; ++i) payload[i] = static_cast<uint8_t>(seed + i * 7);
  uint8_t out[vetra::kMaxFrameSize];
  const size_t n = vetra::BuildFrame(vetra::kClassReply, id, payload, out);
  return std::string(reinterpret_cast<const char*>(out), n);
}

// Before every VTG: a fix (F2 D0), 12-channel status (F2 D2) and measurements (F2 D3).
const std::string& MixedStream() {
  static const std::string stream = [] {
    const std::string& nmea = GeneratedStream();
    std::string out;
    size_t from = 0;
    uint8_t seed = 0;
    for (size_t at = nmea.find("$GPVTG"); at != std::string::npos;
         at = nmea.find("$GPVTG", at + 1)) {
      out.append(nmea, from, at - from);
      ++seed;
      out += Frame(0xD0, 37, seed) + Frame(0xD2, 102, seed) + Frame(0xD3, 152, seed);
      from = at;
    }
    out.append(nmea, from);
    return out;
  }();
  return stream;
}

void RunDecode(benchmark::State& state, const std::string& input, DecodeStream::Format format) {
  if (input.empty()) {
    state.SkipWithError("no input (is python3 and the stream generator there?)");
    return;
  }
  size_t outputBytes = 0;
  uint64_t lines = 0;
  for (auto _ : state) {
    DecodeStream stream(format, DecodeStream::kDefaultRunBytes,
                        [&](std::string_view text) { outputBytes += text.size(); });
    stream.Feed(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    stream.Finish();
    lines = stream.linesEchoed();
    benchmark::DoNotOptimize(outputBytes);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["out_bytes_per_in_byte"] =
      static_cast<double>(outputBytes) / static_cast<double>(state.iterations() * input.size());
}

// `vetra decode --brief`: the stream read as epochs, one brief line each.
void RunBrief(benchmark::State& state, const std::string& input) {
  if (input.empty()) {
    state.SkipWithError("no input (is python3 and the stream generator there?)");
    return;
  }
  size_t lines = 0;
  for (auto _ : state) {
    vetra::EpochStream stream;
    std::vector<vetra::Epoch> epochs;
    stream.Feed(std::span(reinterpret_cast<const uint8_t*>(input.data()), input.size()), epochs);
    stream.Finish(epochs);
    vetra::BriefLineWriter writer;
    std::string out;
    for (const vetra::Epoch& epoch : epochs) writer.Append(out, epoch);
    benchmark::DoNotOptimize(out);
    lines = epochs.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  state.counters["lines"] = static_cast<double>(lines);
}

void BM_DecodeBrief1Hz(benchmark::State& state) { RunBrief(state, GeneratedStream()); }
void BM_DecodeJson1Hz(benchmark::State& state) {
  RunDecode(state, GeneratedStream(), DecodeStream::Format::Json);
}
void BM_DecodeBriefMixedBinary(benchmark::State& state) { RunBrief(state, MixedStream()); }
void BM_DecodeJsonMixedBinary(benchmark::State& state) {
  RunDecode(state, MixedStream(), DecodeStream::Format::Json);
}

BENCHMARK(BM_DecodeBrief1Hz)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJson1Hz)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBriefMixedBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJsonMixedBinary)->Unit(benchmark::kMillisecond);

}  // namespace
