// Trace conversion throughput: a 100 MB capture of trace records (with the receiver's other
// output in between, as a real read brings it) converted into each text form.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "link/frame.h"
#include "trace/trace_convert.h"

namespace {

const std::string& CapturePath() {
  static const std::string path = [] {
    const auto file = std::filesystem::temp_directory_path() / "vetra-bench-tracelog.tmp";
    constexpr size_t kSize = 100u << 20;
    if (std::filesystem::exists(file) && std::filesystem::file_size(file) >= kSize) {
      return file.string();
    }
    std::FILE* f = std::fopen(file.c_str(), "wb");
    std::mt19937 random(1);
    std::vector<uint8_t> frame(vetra::kTracePayloadSize + vetra::kFrameOverhead);
    const std::string ack = "%%\x06\x1E\x18\r\n";
    size_t written = 0;
    for (int i = 0; written < kSize; ++i) {
      vetra::TraceRecord r;
      r.year = 2024;
      r.month = 5;
      r.day = 17;
      r.timeField = i % 43200;
      r.x = -2694000 + static_cast<int>(random() % 2000);
      r.y = -4296000 + static_cast<int>(random() % 2000);
      r.z = 3854000 + static_cast<int>(random() % 2000);
      r.value = 7;
      r.status = 0x2105;
      uint8_t payload[vetra::kTracePayloadSize];
      vetra::EncodeTraceRecord(r, std::span<uint8_t, vetra::kTracePayloadSize>(payload));
      vetra::BuildFrame(vetra::kClassReply, vetra::kTraceRecordId, payload, frame);
      written += std::fwrite(frame.data(), 1, frame.size(), f);
      if (i % 64 == 0) written += std::fwrite(ack.data(), 1, ack.size(), f);
    }
    std::fclose(f);
    return file.string();
  }();
  return path;
}

void BM_ConvertTrace(benchmark::State& state) {
  const auto format = static_cast<vetra::TraceFormat>(state.range(0));
  const auto out = std::filesystem::temp_directory_path() / "vetra-bench-tracedata.gps";
  uint64_t bytes = 0, records = 0;
  for (auto _ : state) {
    const auto result = vetra::ConvertTraceFile(CapturePath(), out.string(), format);
    bytes += result.bytesRead;
    records += result.records;
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
  state.SetLabel(vetra::kTraceFormatNames[state.range(0)]);
}
BENCHMARK(BM_ConvertTrace)
    ->DenseRange(0, vetra::kTraceFormatCount - 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
