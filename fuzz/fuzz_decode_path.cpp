// Feeds arbitrary bytes through the whole decode path: runs of the monitoring task's split and
// parse (TNmea, TBinary, the echo with its 256-byte rule, the deadline), the end-of-pass hand-off,
// and the JSON output. Nothing may read or write outside a buffer, and cutting the input into
// Feed calls of another size must not change the output.
//
// Input: byte 0 chooses the run size (1..256 bytes), byte 1 the size of the Feed pieces
// (0: whole); the rest is the stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "present/decode_stream.h"

namespace {

std::string Decode(vetra::DecodeStream::Format format, int runBytes, const uint8_t* data,
                   size_t size, size_t piece) {
  std::string out;
  vetra::DecodeStream stream(format, runBytes, [&](std::string_view text) { out.append(text); });
  const size_t step = piece == 0 ? (size == 0 ? 1 : size) : piece;
  for (size_t at = 0; at < size; at += step) {
    stream.Feed(data + at, step < size - at ? step : size - at);
  }
  stream.Finish();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int runBytes = data[0] + 1;
  const size_t piece = data[1];
  data += 2;
  size -= 2;

  using Format = vetra::DecodeStream::Format;
  const std::string json = Decode(Format::Json, runBytes, data, size, 0);
  if (Decode(Format::Json, runBytes, data, size, piece) != json) std::abort();
  if (!json.empty() && json.back() != '\n') std::abort();
  return 0;
}
