// Feeds arbitrary bytes to the trace record scanner in blocks, as the trace conversion reads a
// capture, and formats every record it finds in the format the input chooses: no read or write
// outside a buffer, no undefined behaviour (extreme coordinates and dates included), and the same
// records in the same order however the bytes are cut.
//
// Input: byte 0 chooses the block size (0: whole; else 1..255), byte 1 the output form (modulo
// the forms' count); the rest is the capture.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "trace/trace_format.h"
#include "trace/trace_scanner.h"

namespace {

using Payload = std::array<uint8_t, vetra::kTracePayloadSize>;

struct Scan {
  std::vector<Payload> records;
  uint64_t found = 0;
  uint64_t badChecksums = 0;
};

// Each block gets its own exact-size copy so that a read past its end is caught.
Scan ScanInBlocks(const uint8_t* data, size_t size, size_t block) {
  Scan scan;
  vetra::TTraceScanner scanner;
  for (size_t at = 0; at < size; at += block) {
    const std::vector<uint8_t> copy(data + at, data + at + (block < size - at ? block : size - at));
    scanner.Feed(copy, [&](std::span<const uint8_t, vetra::kTracePayloadSize> payload) {
      Payload record;
      std::copy(payload.begin(), payload.end(), record.begin());
      scan.records.push_back(record);
    });
  }
  scan.found = scanner.recordsFound();
  scan.badChecksums = scanner.badChecksums();
  return scan;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t block = data[0] == 0 ? size : data[0];
  const auto format = static_cast<vetra::TraceFormat>(data[1] % vetra::kTraceFormatCount);
  data += 2;
  size -= 2;

  const Scan whole = ScanInBlocks(data, size, size + 1);
  const Scan blocks = ScanInBlocks(data, size, block);
  if (whole.records != blocks.records || whole.badChecksums != blocks.badChecksums) std::abort();
  if (whole.found != whole.records.size()) std::abort();
  // A frame is 2 + 2 + 20 + 1 + 2 bytes.
  if ((whole.found + whole.badChecksums) * 27 > size) std::abort();

  vetra::TTraceFormatter formatter(format);
  std::string out;
  formatter.Begin(out);
  for (const Payload& record : whole.records) {
    formatter.Format(vetra::DecodeTraceRecord(record), out);
  }
  formatter.End(out);
  return 0;
}
