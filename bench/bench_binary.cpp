// Throughput of the binary reply path (frame receiver plus handlers) over the receiver's
// navigation traffic, and of the ECEF to geodetic conversion used by the trace conversion.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>

#include "decode/binary.h"
#include "decode/geodesy.h"
#include "link/frame.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& stream, uint8_t id, size_t payloadSize, uint32_t& seed) {
  Bytes payload(payloadSize);
  for (auto& b : payload) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(seed >> 24);
  }
  if (id == 0xD2 || id == 0xD5) {
    for (size_t at = 6, prn = 1; at < payload.size(); at += 8, ++prn) payload[at] = uint8_t(prn);
  }
  uint8_t frame[vetra::kMaxFrameSize];
  const size_t n = vetra::BuildFrame(vetra::kClassReply, id, payload, frame);
  stream.insert(stream.end(), frame, frame + n);
}

// One second of output per epoch: a fix, the channel status and the measurements, for the
// 12-channel (D2/D3) or the 16-channel (D5/D6) receiver.
Bytes NavigationStream(bool sixteenChannels, int epochs) {
  Bytes stream;
  uint32_t seed = 1;
  for (int i = 0; i < epochs; ++i) {
    Append(stream, 0xD0, 37, seed);
    if (sixteenChannels) {
      Append(stream, 0xD5, 134, seed);
      Append(stream, 0xD6, 200, seed);
    } else {
      Append(stream, 0xD2, 102, seed);
      Append(stream, 0xD3, 152, seed);
    }
  }
  return stream;
}

void BM_BinaryFeed(benchmark::State& state) {
  const Bytes stream = NavigationStream(state.range(0) == 16, 1000);
  vetra::ReceiverStores stores;
  vetra::TBinary binary(stores);
  for (auto _ : state) {
    const uint8_t* at = stream.data();
    int left = static_cast<int>(stream.size());
    while (left > 0) {
      const vetra::FrameFeed fed = binary.Feed(at, left);
      at += fed.consumed;
      left -= fed.consumed;
    }
    benchmark::DoNotOptimize(binary.record());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(stream.size()));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 3000);  // frames
}
BENCHMARK(BM_BinaryFeed)->Arg(12)->Arg(16);

void BM_EcefToGeodetic(benchmark::State& state) {
  std::vector<std::array<double, 3>> points;
  for (int i = 0; i < 1024; ++i) {
    const double lat = (i % 179 - 89) * 0.0174532925199433;
    const double lon = (i % 359 - 179) * 0.0174532925199433;
    const double r = 6371000.0 + (i % 50) * 100.0;
    points.push_back(
        {r * std::cos(lat) * std::cos(lon), r * std::cos(lat) * std::sin(lon), r * std::sin(lat)});
  }
  for (auto _ : state) {
    for (const auto& p : points) {
      double out[3];
      vetra::ecefToGeodetic(p.data(), out);
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(points.size()));
}
BENCHMARK(BM_EcefToGeodetic);

}  // namespace
