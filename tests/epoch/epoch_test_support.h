#pragma once
// Small logs built by the tests: sentences with their checksum and line end, the module's frames,
// and a run of a log through an EpochStream in pieces of a given size.
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "epoch/epoch_stream.h"

namespace vetra::test {

inline std::string Sentence(const std::string& body, const char* lineEnd = "\r\n") {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X", sum);
  return "$" + body + tail + lineEnd;
}

struct StreamRun {
  std::vector<Epoch> epochs;
  std::vector<std::string> sentences;
  EpochCounts counts;
};

// piece 0: the whole log in one Feed.
inline StreamRun RunLog(const std::string& log, size_t piece = 0) {
  EpochStream stream;
  StreamRun run;
  const auto* bytes = reinterpret_cast<const uint8_t*>(log.data());
  const size_t step = piece == 0 ? log.size() : piece;
  for (size_t at = 0; at < log.size(); at += step) {
    const size_t n = std::min(step, log.size() - at);
    stream.Feed(std::span(bytes + at, n), run.epochs, &run.sentences);
  }
  stream.Finish(run.epochs);
  run.counts = stream.counts();
  return run;
}

}  // namespace vetra::test
