#pragma once
// The split-and-parse path of the monitoring task, shared with `vetra decode`: each run of received
// bytes is split at '$' (to TNmea) and '%' (to TBinary); every sentence or frame that ends, or that
// the 3-second deadline cuts off, becomes one echo line.
//
// No frame is lost to NMEA text before it. A line that TNmea holds open (a sentence accepted
// without a result, such as a GGA before its GSA; a sentence cut off without its LF by a reset or
// an overrun) is watched by a frame receiver of its own: when a frame that starts with "%%" inside
// the line ends with a matching checksum, the line is cut before its "%%" (an NMEA line with
// result 0) and the frame is handed to TBinary as a line of its own. A "%%" that does not begin a
// valid frame changes nothing. A sentence TNmea dropped for what it is (checksum, length, address)
// ends the line at its LF; the errors TNmea counts for delimiters far into the bytes of a call
// depend on the junk before the sentence and do not end a line.

#include <cstdint>
#include <functional>
#include <string_view>

#include "decode/binary.h"
#include "decode/nmea.h"
#include "link/frame_receiver.h"

namespace vetra {

enum class ParserKind { Nmea, Binary };

struct EchoLine {
  std::string_view text;  // the line as the NMEA view shows it: last two bytes dropped, cut at NUL
  ParserKind parser;
  int result;  // TNmea's result code; for TBinary 1 = checksum matched, 0 = not; 0 when cut off
  // NMEA lines only: up to 6 bytes that followed the last '$' fed to TNmea, i.e. the start of the
  // sentence that ended ("GPGGA,"). Kept apart from the echo, which may have dropped them.
  std::string_view sentenceHead;
  // Every byte of the line as it arrived (CR LF included), for a view of binary frames as hex.
  std::string_view raw;
};

class TStreamSplitter {
 public:
  TStreamSplitter(TNmea& nmea, TBinary& binary) : nmea_(nmea), binary_(binary) {}

  // Splits one run of received bytes. A line ends (onLine runs) when a parser completes a sentence
  // or frame, at the LF of a sentence TNmea dropped, or when one stays open past its deadline
  // (nowSeconds + 3 at its first byte, whole seconds). The text of an EchoLine is valid only
  // during the call.
  using LineSink = std::function<void(const EchoLine&)>;
  void Process(const uint8_t* data, int count, int64_t nowSeconds, const LineSink& onLine);

  static constexpr int kLineCapacity = 256;  // a line that reaches this many bytes is not echoed
  static constexpr int kDeadlineSeconds = 3;

 private:
  // Scan looks for the next '$' or '%'; an Open parser keeps the bytes until its line ends or its
  // deadline passes; Done means a line has just ended and is echoed before scanning goes on.
  enum class Mode { Scan, BinaryDone, NmeaDone, BinaryOpen, NmeaOpen };
  int FeedNmea(const uint8_t* bytes, int count, int from, bool& ended, int& result,
               bool& frameFound);
  int FeedBinary(const uint8_t* bytes, int count, bool& ended, int& result);
  void TrackSentenceHead(const uint8_t* bytes, int count);
  // Feeds the frame watch with bytes of an NMEA line; true when a valid frame ended in them.
  bool WatchForFrame(const uint8_t* bytes, int count);
  // Emits the NMEA line up to the frame that the watch found, then the frame as a binary line.
  bool SplitOffWatchedFrame(const LineSink& onLine);
  void EmitLine(ParserKind parser, int result, const uint8_t* raw, int filled,
                const LineSink& onLine, int lineEnd = 2);
  void ResetWatch();

  TNmea& nmea_;
  TBinary& binary_;
  Mode mode_ = Mode::Scan;
  int64_t deadline_ = 0;
  uint8_t line_[kLineCapacity] = {};
  int lineFill_ = 0;
  char head_[6] = {};
  int headFill_ = 0;
  uint32_t rejectedBeforeSentence_ = 0;  // TNmea's rejections when the current sentence began

  // The frame watch of an NMEA line: its own receiver, and the line's last bytes (a frame and
  // the CRs a receiver may put before its LF fit).
  static constexpr int kWatchCapacity = 256;
  TFrameReceiver watch_;
  uint8_t watched_[kWatchCapacity] = {};
  int watchedFill_ = 0;  // bytes in watched_, the newest last
};

// A line that decoded a position: an accepted GGA or RMC sentence, or a navigation fix frame
// (F2 D0, F2 D1) with a good checksum. The parser's record holds that position when the line ends.
bool DecodesPosition(const EchoLine& line);

// The end-of-pass display hand-off, TNmea's record first: copies the first record with news into
// display (clearing its updated flag) and says which one it was. Called again, it hands off
// TBinary's record of the same pass (the conversation hands both off in each pass).
enum class DisplaySource { None, Nmea, Binary };
DisplaySource TakeDisplayUpdate(TNmea& nmea, TBinary& binary, TNavRecord& display);

}  // namespace vetra
