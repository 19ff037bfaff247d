// Feeds arbitrary bytes to the epoch stream (the NMEA reader of any receiver, the module's frames,
// the epoch assembler): no read or write outside a buffer, no undefined behaviour, and cutting
// the same bytes into pieces changes neither the epochs, nor the sentences read, nor the counts.
//
// Input: byte 0 chooses the piece size (0: whole), byte 1 is not read (the seeds share the NMEA
// parser's format); the rest is the stream.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "epoch/epoch_stream.h"

namespace {

struct Run {
  std::vector<vetra::Epoch> epochs;
  std::vector<std::string> sentences;
  vetra::EpochCounts counts;
};

Run Feed(std::span<const uint8_t> bytes, size_t piece) {
  vetra::EpochStream stream;
  Run run;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    stream.Feed(bytes.subspan(at, std::min(piece, bytes.size() - at)), run.epochs, &run.sentences);
  }
  stream.Finish(run.epochs);
  run.counts = stream.counts();
  return run;
}

bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::span<const uint8_t> bytes(data + 2, size - 2);
  if (bytes.empty()) return 0;
  const size_t piece = data[0] == 0 ? bytes.size() : data[0];
  const Run whole = Feed(bytes, bytes.size());
  const Run pieces = Feed(bytes, piece);
  if (whole.sentences != pieces.sentences || whole.epochs.size() != pieces.epochs.size() ||
      whole.counts.sentences != pieces.counts.sentences ||
      whole.counts.checksumErrors != pieces.counts.checksumErrors ||
      whole.counts.malformed != pieces.counts.malformed ||
      whole.counts.binaryFrames != pieces.counts.binaryFrames ||
      whole.counts.unrecognisedBytes != pieces.counts.unrecognisedBytes)
    std::abort();
  for (size_t i = 0; i < whole.epochs.size(); ++i) {
    const vetra::Epoch& a = whole.epochs[i];
    const vetra::Epoch& b = pieces.epochs[i];
    if (a.UtcText() != b.UtcText() || a.mode != b.mode || !Same(a.latitudeDeg, b.latitudeDeg) ||
        !Same(a.longitudeDeg, b.longitudeDeg) || !Same(a.altitudeMslM, b.altitudeMslM) ||
        !Same(a.eph, b.eph) || !Same(a.gdop, b.gdop) || a.satellites.size() != b.satellites.size())
      std::abort();
  }
  return 0;
}
