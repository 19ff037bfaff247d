// Feeds arbitrary bytes to the binary frame parser: no read or write outside a buffer, no
// undefined behaviour, and cutting the same bytes into pieces changes neither the frames found nor
// what their handlers stored.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "decode/binary.h"

namespace {

struct CountingSink : vetra::IReplySink {
  uint64_t calls = 0;
  uint64_t payloadSum = 0;
  void onRevision() override { ++calls; }
  void onSelfTest() override { ++calls; }
  void onClockOffset() override { ++calls; }
  void onEphemeris() override { ++calls; }
  void onAlmanac() override { ++calls; }
  void onModuleId() override { ++calls; }
  void onTraceStatusFull() override { ++calls; }
  void onTraceStatusShort() override { ++calls; }
  void onNavSettings(std::span<const uint8_t> p) override { Sum(p); }
  void onSysSettings(std::span<const uint8_t> p) override { Sum(p); }
  void onAck(uint8_t id) override { calls += 1 + id; }
  void onNack(uint8_t id) override { calls += 2 + id; }
  void onCustomizedId() override { ++calls; }
  void onTestResult() override { ++calls; }
  void onTraceRecord(std::span<const uint8_t> p) override { Sum(p); }
  void Sum(std::span<const uint8_t> p) {
    ++calls;
    for (uint8_t b : p) payloadSum += b;
  }
};

struct Run {
  vetra::ReceiverStores stores;
  CountingSink sink;
  vetra::TBinary binary{stores, &sink};
  uint64_t ended = 0;

  void FeedAll(const uint8_t* data, size_t size, size_t piece) {
    size_t at = 0;
    while (at < size) {
      const size_t chunk = size - at < piece ? size - at : piece;
      size_t done = 0;
      while (done < chunk) {
        const auto fed = binary.Feed(data + at + done, static_cast<int>(chunk - done));
        if (fed.consumed <= 0 || static_cast<size_t>(fed.consumed) > chunk - done) std::abort();
        if (fed.ended) ++ended;
        done += static_cast<size_t>(fed.consumed);
      }
      at += chunk;
    }
  }
};

bool SameOutcome(const Run& a, const Run& b) {
  const auto& ra = a.binary.record();
  const auto& rb = b.binary.record();
  return a.ended == b.ended && a.binary.framesGood() == b.binary.framesGood() &&
         a.binary.framesBadChecksum() == b.binary.framesBadChecksum() &&
         a.sink.calls == b.sink.calls && a.sink.payloadSum == b.sink.payloadSum &&
         ra.updated == rb.updated && ra.year == rb.year && ra.speedKmh == rb.speedKmh &&
         std::memcmp(ra.prnList, rb.prnList, sizeof ra.prnList) == 0 &&
         ra.clockValue == rb.clockValue &&
         a.stores.ephemeris.Get().receivedMask == b.stores.ephemeris.Get().receivedMask &&
         a.binary.replies().trace.totalSizeBytes == b.binary.replies().trace.totalSizeBytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 16;
  Run whole;
  whole.FeedAll(data + 1, size - 1, size);
  Run pieces;
  pieces.FeedAll(data + 1, size - 1, piece);
  if (!SameOutcome(whole, pieces)) std::abort();
  return 0;
}
