#include "trace/trace_scanner.h"

#include "link/frame.h"

namespace vetra {

void TTraceScanner::Feed(std::span<const uint8_t> bytes, const RecordSink& onRecord) {
  for (const uint8_t b : bytes) {
    switch (state_) {
      case 0:
        if (b == kFrameMarker) {
          fill_ = 0;
          state_ = 1;
        }
        break;
      case 1:
        state_ = b == kFrameMarker ? 2 : 0;
        break;
      case 2:
        if (b == kClassAck || b == kClassNack || b == kClassCommand || b == kClassReply) {
          frame_[fill_++] = b;
          state_ = 3;
        } else {
          state_ = 0;
        }
        break;
      case 3:
        frame_[fill_++] = b;
        state_ = b == kTraceRecordId ? 4 : 0;
        break;
      case 4:
        frame_[fill_++] = b;
        if (fill_ == kFrameBytes) state_ = 5;
        break;
      case 5:
        checksum_ = b;
        state_ = 6;
        break;
      case 6:
        state_ = b == 0x0D ? 7 : 0;
        break;
      case 7:
        if (b == 0x0A) {
          if (FrameChecksum(frame_) == checksum_) {
            ++found_;
            onRecord(std::span<const uint8_t, kTracePayloadSize>(frame_ + 2, kTracePayloadSize));
          } else {
            ++badChecksums_;
          }
        }
        state_ = 0;
        break;
    }
  }
}

}  // namespace vetra
