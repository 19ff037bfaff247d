#pragma once
// DecodeStream: plays a received byte stream (a raw receive log: NMEA text and binary frames mixed)
// through the monitoring task's own split-and-parse path and writes what `vetra decode` prints in
// JSON: the module's monitoring record per echoed line. (`vetra decode --brief` reads epochs
// instead: epoch/epoch_stream.h and present/decode_format.h's BriefLineWriter.)
// The stream is cut into runs of runBytes, one run per simulated 100 ms pass, so the 3-second
// deadline of an open sentence or frame behaves as on the line; at the end of every pass the
// display hand-off clears the parsers' updated flags as the monitoring task does. How the caller
// chunks its Feed calls changes nothing: runs are counted from the start of the stream.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/binary.h"
#include "decode/nmea.h"
#include "model/receiver_stores.h"
#include "session/stream_splitter.h"

namespace vetra {

class DecodeStream {
 public:
  enum class Format {
    Json,  // one JSON object per echoed line (present/decode_format.h)
    None,  // nothing printed: the position sink alone
  };
  // Receives the output in chunks of whole lines.
  using Output = std::function<void(std::string_view text)>;
  // Sees the parser's record after every line that decoded a position (DecodesPosition).
  using PositionSink = std::function<void(const TNavRecord& record)>;

  static constexpr int kDefaultRunBytes = 1024;
  static constexpr int kPassMs = 100;

  DecodeStream(Format format, int runBytes, Output output);

  void Feed(const uint8_t* bytes, size_t count);
  void Finish();  // plays the last, partial run and flushes the output
  void SetPositionSink(PositionSink sink) { positionSink_ = std::move(sink); }

  const TNmea& nmea() const { return nmea_; }
  const TBinary& binary() const { return binary_; }
  uint64_t linesEchoed() const { return linesEchoed_; }
  uint64_t positions() const { return positions_; }

 private:
  void PlayRun(const uint8_t* bytes, int count);
  void OnLine(const EchoLine& line);
  void FlushIfFull();

  Format format_;
  int runBytes_;
  Output output_;
  PositionSink positionSink_;
  ReceiverStores stores_;
  TNmea nmea_;
  TBinary binary_;
  TStreamSplitter splitter_;
  TNavRecord display_;
  std::vector<uint8_t> partialRun_;
  int64_t passes_ = 0;
  uint64_t linesEchoed_ = 0;
  uint64_t positions_ = 0;
  std::string out_;
};

}  // namespace vetra
