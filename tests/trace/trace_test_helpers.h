#pragma once
#include <cstdint>
#include <vector>

#include "link/frame.h"
#include "trace/trace_record.h"

namespace vetra::test {

// The F2 88 frame of a record, as the receiver sends it during a trace read.
inline std::vector<uint8_t> TraceFrame(const TraceRecord& record) {
  uint8_t payload[kTracePayloadSize];
  EncodeTraceRecord(record, std::span<uint8_t, kTracePayloadSize>(payload));
  std::vector<uint8_t> frame(kTracePayloadSize + kFrameOverhead);
  BuildFrame(kClassReply, kTraceRecordId, payload, frame);
  return frame;
}

inline TraceRecord SampleRecord(int timeField, int32_t x = 4510731, int32_t y = 4510731,
                                int32_t z = 0) {
  TraceRecord r;
  r.year = 2009;
  r.month = 1;
  r.day = 1;
  r.timeField = timeField;
  r.x = x;
  r.y = y;
  r.z = z;
  r.value = -3;
  r.status = 0x3000 | 0x0105;
  return r;
}

}  // namespace vetra::test
