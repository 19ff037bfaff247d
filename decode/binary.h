#pragma once
// TBinary: the binary frame receiver (link/frame_receiver.h) with the reply handlers. A frame that
// ends with a matching checksum runs the handler of its message-table row, which stores the decoded
// values in the navigation record, the reply fields or the program-wide stores, then tells the
// sink.

#include <cstdint>

#include "decode/reply_sink.h"
#include "link/frame_receiver.h"
#include "model/nav_record.h"
#include "model/receiver_stores.h"
#include "model/reply_fields.h"

namespace vetra {

class TBinary {
 public:
  explicit TBinary(ReceiverStores& stores, IReplySink* sink = nullptr);

  // At most one frame per call; see TFrameReceiver::Feed.
  FrameFeed Feed(const uint8_t* bytes, int count);

  void ResetRecord();  // the monitoring restart's record reset
  void SetSink(IReplySink* sink) { sink_ = sink; }

  TNavRecord& record() { return record_; }
  const TNavRecord& record() const { return record_; }
  ReplyFields& replies() { return replies_; }
  const ReplyFields& replies() const { return replies_; }
  ReceiverStores& stores() { return stores_; }

  // Health counters.
  uint64_t framesGood() const { return framesGood_; }
  uint64_t framesBadChecksum() const { return framesBadChecksum_; }
  uint64_t bytesFed() const { return bytesFed_; }

 private:
  void Dispatch(int row, std::span<const uint8_t> frame);

  TFrameReceiver receiver_;
  ReceiverStores& stores_;
  IReplySink* sink_;
  TNavRecord record_;
  ReplyFields replies_;
  uint64_t framesGood_ = 0;
  uint64_t framesBadChecksum_ = 0;
  uint64_t bytesFed_ = 0;
};

// Trace memory size in bytes from the size code of the trace status reply (low nibble a, high
// nibble b): ((2^(a-1) + 2^(b-1)) x 64 - 16) x 1024, evaluated exactly (a nibble of 0 adds 32).
int32_t TraceMemoryBytes(uint8_t sizeCode);
// Minimum logging speed in km/h from its raw value: trunc((raw x 3.6 + 5) x 0.1).
int32_t TraceMinSpeedKmh(uint16_t raw);

}  // namespace vetra
