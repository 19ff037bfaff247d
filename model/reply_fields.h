#pragma once
// What the binary query replies leave for the status reports to show.

#include <cstdint>

namespace vetra {

struct RevisionBlock {
  char label[12] = {};  // ASCII, not terminated
  uint32_t date = 0;    // 0: nothing to show
  uint32_t time = 0;
  uint16_t crc = 0;
};

struct TraceStatus {
  int32_t state = 0;  // 0 stopped, 1 recording, 2 reading
  int32_t totalSizeBytes = 0;
  int32_t usedPercent = 0;
  int32_t recordsLogged = 0;
  int32_t optionFlags = 0;  // bit 0 stop on full, bit 1 log on power-on, bit 2 extended
  int32_t minTimeSeconds = 0;
  int32_t minDistanceM = 0;
  int32_t minSpeedKmh = 0;
  int32_t minSpeedRaw = 0;  // the field itself (0.1 m/s), which km/h cannot give back exactly
};

struct ReplyFields {
  uint16_t clockOffset = 0;  // 0: nothing to show
  RevisionBlock revision;
  int32_t selfTest[4] = {-1, -1, -1, -1};  // -1: nothing to show
  TraceStatus trace;
};

}  // namespace vetra
