#pragma once
// The byte machine of TNmea alone, as the reference that its 16-byte block scan and its
// whole-sentence fast path are held to: a Feed of count bytes done one byte per call, where
// neither can run. The delimiters beyond position 82 of the call, which Feed counts, are counted
// beside the parser's own error count. Header-only so that the fuzz targets use it too.

#include <cstdint>

#include "decode/nmea.h"

namespace vetra::testing {

struct ByteMachine {
  TNmea nmea;
  uint32_t positionErrors = 0;

  NmeaFeed Feed(const uint8_t* bytes, int count) {
    for (int i = 0; i < count; ++i) {
      const NmeaFeed fed = nmea.Feed(bytes + i, 1);
      const uint8_t c = bytes[i];
      const bool delimiter = c == '$' || c == ',' || c == '*' || c == '\r' || c == '\n';
      positionErrors += delimiter && i > TNmea::kMaxDelimiterPosition;
      if (fed.result != 0) return {i + 1, fed.result};
    }
    return {count, 0};
  }

  uint32_t errorCount() const { return nmea.errorCount() + positionErrors; }
};

}  // namespace vetra::testing
