#include "trace/trace_record.h"

#include "link/frame.h"

namespace vetra {

TraceRecord DecodeTraceRecord(std::span<const uint8_t, kTracePayloadSize> payload) {
  const std::span<const uint8_t> p = payload;
  TraceRecord r;
  const uint16_t date = ReadU16(p, 0);
  r.day = date & 0x1F;
  r.month = (date >> 5) & 0x0F;
  r.year = (date >> 9) + 1980;
  r.timeField = ReadU16(p, 2);
  r.x = ReadI32(p, 4);
  r.y = ReadI32(p, 8);
  r.z = ReadI32(p, 12);
  r.value = static_cast<int8_t>(p[16]);
  r.status = ReadU16(p, 18);
  return r;
}

namespace {
void PutLe(std::span<uint8_t> out, size_t offset, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}
}  // namespace

void EncodeTraceRecord(const TraceRecord& r, std::span<uint8_t, kTracePayloadSize> payload) {
  const std::span<uint8_t> p = payload;
  const uint32_t date = ((r.year - 1980) & 0x7F) << 9 | (r.month & 0x0F) << 5 | (r.day & 0x1F);
  PutLe(p, 0, date, 2);
  PutLe(p, 2, static_cast<uint32_t>(r.timeField), 2);
  PutLe(p, 4, static_cast<uint32_t>(r.x), 4);
  PutLe(p, 8, static_cast<uint32_t>(r.y), 4);
  PutLe(p, 12, static_cast<uint32_t>(r.z), 4);
  p[16] = static_cast<uint8_t>(r.value);
  p[17] = 0;
  PutLe(p, 18, r.status, 2);
}

}  // namespace vetra
