#pragma once
// TTraceScanner picks intact trace records (F2 88 frames) out of a trace read's capture, which
// holds whatever else the receiver sent meanwhile. Its state carries over from one block of input
// to the next, so a record split across blocks is found.
//
//   0 --'%'--> 1 --'%'--> 2 --class 06/15/F1/F2--> 3 --88h--> 4 --22 bytes stored--> 5
//   5 --checksum--> 6 --CR--> 7 --LF, XOR ok--> record; any other byte goes back to 0.
// Only the id 88h continues: a third '%' is taken as the class byte and fails, so "%%%"
// followed by a record loses that record.

#include <cstdint>
#include <functional>
#include <span>

#include "trace/trace_record.h"

namespace vetra {

class TTraceScanner {
 public:
  using RecordSink = std::function<void(std::span<const uint8_t, kTracePayloadSize>)>;

  void Feed(std::span<const uint8_t> bytes, const RecordSink& onRecord);
  uint64_t recordsFound() const { return found_; }
  uint64_t badChecksums() const { return badChecksums_; }

 private:
  static constexpr int kFrameBytes = 2 + kTracePayloadSize;  // class, id, payload
  int state_ = 0;
  int fill_ = 0;
  uint8_t checksum_ = 0;
  uint8_t frame_[kFrameBytes] = {};
  uint64_t found_ = 0;
  uint64_t badChecksums_ = 0;
};

}  // namespace vetra
