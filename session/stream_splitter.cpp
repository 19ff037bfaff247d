#include "session/stream_splitter.h"

#include <algorithm>
#include <cstring>

namespace vetra {

namespace {

// The first '$' or '%' in the bytes, or nullptr.
const uint8_t* FindStartMarker(const uint8_t* bytes, int count) {
  const auto* dollar = static_cast<const uint8_t*>(std::memchr(bytes, '$', count));
  const int limit = dollar ? static_cast<int>(dollar - bytes) : count;
  const auto* percent = static_cast<const uint8_t*>(std::memchr(bytes, '%', limit));
  return percent ? percent : dollar;
}

// The last byte of that value in the bytes, or nullptr: the C library's backwards scan where it
// has one (glibc's memrchr), a plain loop elsewhere.
const uint8_t* FindLast(const uint8_t* bytes, int count, uint8_t value) {
  if (count <= 0) return nullptr;
#if defined(__GLIBC__)
  return static_cast<const uint8_t*>(memrchr(bytes, value, static_cast<size_t>(count)));
#else
  for (const uint8_t* p = bytes + count; p != bytes;) {
    if (*--p == value) return p;
  }
  return nullptr;
#endif
}

// A parser that claims to have consumed nothing, or more than it was given, would stall or
// overrun the loop; take such a claim as "all of it".
int CheckedConsumed(int consumed, int count) {
  return consumed > 0 && consumed <= count ? consumed : count;
}

// The address of a sentence ("GPGGA", "PGGA") from the bytes that followed its '$'.
std::string_view SentenceAddress(std::string_view head) {
  const size_t end = head.find_first_of(",*\r\n");
  return head.substr(0, end);
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

// The frame is recognised by its first "%%" in the echo; bytes before it hold no '%' (the split
// starts a frame line at the first one).
bool DecodesPosition(const EchoLine& line) {
  if (line.result != 1) return false;
  if (line.parser == ParserKind::Nmea) {
    const std::string_view address = SentenceAddress(line.sentenceHead);
    return EndsWith(address, "GGA") || EndsWith(address, "RMC");
  }
  const size_t marker = line.text.find("%%");
  if (marker == std::string_view::npos || line.text.size() < marker + 4) return false;
  const auto frameClass = static_cast<uint8_t>(line.text[marker + 2]);
  const auto id = static_cast<uint8_t>(line.text[marker + 3]);
  return frameClass == 0xF2 && (id == 0xD0 || id == 0xD1);
}

// TNmea gets one sentence at a time: the bytes up to the first LF from `from` on (the '$' that
// starts the sentence). A sentence TNmea accepted without a result (GGA before its GSA) keeps the
// line open; one that TNmea rejected (a wrong checksum, an unknown address) ends the line at its
// LF, so that a '%' after it starts a frame at once, unless the frame watch is inside a frame
// whose payload holds that LF.
int TStreamSplitter::FeedNmea(const uint8_t* bytes, int count, int from, bool& ended, int& result,
                              bool& frameFound) {
  const auto* lf = static_cast<const uint8_t*>(std::memchr(bytes + from, '\n', count - from));
  const int limit = lf != nullptr ? static_cast<int>(lf - bytes) + 1 : count;
  const NmeaFeed feed = nmea_.Feed(bytes, limit);
  const int consumed = CheckedConsumed(feed.consumed, limit);
  TrackSentenceHead(bytes, consumed);
  const bool atLineEnd = bytes[consumed - 1] == '\n';
  const bool rejected = atLineEnd && nmea_.rejectedCount() != rejectedBeforeSentence_;
  if (atLineEnd) rejectedBeforeSentence_ = nmea_.rejectedCount();
  frameFound = WatchForFrame(bytes, consumed);
  const TFrameReceiver::State watching = watch_.state();
  const bool frameUnderWay =
      watching == TFrameReceiver::State::Payload || watching == TFrameReceiver::State::Checksum ||
      watching == TFrameReceiver::State::CR || watching == TFrameReceiver::State::LF;
  ended = feed.result != 0 || (rejected && !frameUnderWay);
  result = feed.result;
  return consumed;
}

bool TStreamSplitter::WatchForFrame(const uint8_t* bytes, int count) {
  if (count >= kWatchCapacity) {
    std::memcpy(watched_, bytes + count - kWatchCapacity, kWatchCapacity);
    watchedFill_ = kWatchCapacity;
  } else {
    const int keep = std::min(watchedFill_, kWatchCapacity - count);
    std::memmove(watched_, watched_ + watchedFill_ - keep, keep);
    std::memcpy(watched_ + keep, bytes, count);
    watchedFill_ = keep + count;
  }
  // Nothing can start while the watch is idle and no '%' came.
  if (watch_.state() == TFrameReceiver::State::Idle && std::memchr(bytes, '%', count) == nullptr)
    return false;
  int position = 0;
  while (position < count) {
    const FrameFeed feed = watch_.Feed(bytes + position, count - position);
    position += CheckedConsumed(feed.consumed, count - position);
    if (feed.ended && feed.checksumOk && position == count) return true;
  }
  return false;
}

void TStreamSplitter::ResetWatch() {
  watch_ = TFrameReceiver{};
  watchedFill_ = 0;
}

// The watch's frame is the newest bytes of the line: "%%", class, id, payload, checksum, CR (and
// any more CRs), LF. The line before it is NMEA text that TNmea never finished.
bool TStreamSplitter::SplitOffWatchedFrame(const LineSink& onLine) {
  const std::span<const uint8_t> frame = watch_.frame();
  const int shortest = static_cast<int>(frame.size()) + 5;
  int start = -1;
  for (int at = watchedFill_ - shortest; at >= 0 && frame.size() >= 2; --at) {
    if (watched_[at] == '%' && watched_[at + 1] == '%' && watched_[at + 2] == frame[0] &&
        watched_[at + 3] == frame[1]) {
      start = at;
      break;
    }
  }
  if (start < 0) return false;
  uint8_t raw[kWatchCapacity];
  const int rawLength = watchedFill_ - start;
  std::memcpy(raw, watched_ + start, rawLength);
  ResetWatch();

  // The text before the frame keeps every character: only a CR LF of its own goes.
  lineFill_ = std::max(lineFill_ - rawLength, 0);
  int lineEnd = 0;
  while (lineEnd < 2 && lineFill_ - lineEnd > 0 &&
         (line_[lineFill_ - lineEnd - 1] == '\n' || line_[lineFill_ - lineEnd - 1] == '\r'))
    ++lineEnd;
  if (lineFill_ > 0) EmitLine(ParserKind::Nmea, 0, line_, lineFill_, onLine, lineEnd);
  lineFill_ = 0;
  nmea_.ResetState();
  rejectedBeforeSentence_ = nmea_.rejectedCount();

  // TBinary takes the frame as if it had come alone (a second time round if a frame it had left
  // open swallowed the first bytes).
  FrameFeed feed;
  for (int attempt = 0; attempt < 2 && !feed.ended; ++attempt) {
    for (int position = 0; position < rawLength && !feed.ended;) {
      feed = binary_.Feed(raw + position, rawLength - position);
      position += CheckedConsumed(feed.consumed, rawLength - position);
    }
  }
  EmitLine(ParserKind::Binary, feed.ended && feed.checksumOk ? 1 : 0, raw, rawLength, onLine);
  mode_ = Mode::Scan;
  return true;
}

// The line ends: its last lineEnd bytes (normally CR LF) go, and as text it stops at a NUL.
void TStreamSplitter::EmitLine(ParserKind parser, int result, const uint8_t* raw, int filled,
                               const LineSink& onLine, int lineEnd) {
  const int kept = std::max(filled - lineEnd, 0);
  const auto* nul = static_cast<const uint8_t*>(std::memchr(raw, 0, kept));
  const size_t length = nul ? static_cast<size_t>(nul - raw) : static_cast<size_t>(kept);
  const EchoLine line{
      std::string_view(reinterpret_cast<const char*>(raw), length), parser, result,
      parser == ParserKind::Nmea ? std::string_view(head_, headFill_) : std::string_view(),
      std::string_view(reinterpret_cast<const char*>(raw), static_cast<size_t>(filled))};
  onLine(line);
}

int TStreamSplitter::FeedBinary(const uint8_t* bytes, int count, bool& ended, int& result) {
  const FrameFeed feed = binary_.Feed(bytes, count);
  ended = feed.ended;
  result = feed.ended && feed.checksumOk ? 1 : 0;
  return CheckedConsumed(feed.consumed, count);
}

// Remembers the first bytes after the last '$' that TNmea has seen, across feeds, so that a
// consumer can tell which sentence ended even when the echo dropped it.
void TStreamSplitter::TrackSentenceHead(const uint8_t* bytes, int count) {
  const int capacity = static_cast<int>(sizeof head_);
  if (const uint8_t* dollar = FindLast(bytes, count, '$')) {
    const int after = static_cast<int>(bytes + count - dollar - 1);
    headFill_ = std::min(after, capacity);
    std::memcpy(head_, dollar + 1, headFill_);
  } else if (headFill_ < capacity) {
    const int more = std::min(count, capacity - headFill_);
    std::memcpy(head_ + headFill_, bytes, more);
    headFill_ += more;
  }
}

void TStreamSplitter::Process(const uint8_t* data, int count, int64_t nowSeconds,
                              const LineSink& onLine) {
  int position = 0;
  while (position < count) {
    const uint8_t* bytes = data + position;
    const int left = count - position;
    bool ended = false;
    int result = 0;
    int consumed = 0;
    bool frameFound = false;
    ParserKind parser = ParserKind::Nmea;

    if (mode_ == Mode::BinaryOpen || mode_ == Mode::NmeaOpen) {
      // An open sentence or frame keeps the bytes until it ends or its time runs out; the parser
      // keeps its partial state either way.
      parser = mode_ == Mode::BinaryOpen ? ParserKind::Binary : ParserKind::Nmea;
      consumed = parser == ParserKind::Binary ? FeedBinary(bytes, left, ended, result)
                                              : FeedNmea(bytes, left, 0, ended, result, frameFound);
      if (ended || nowSeconds >= deadline_)
        mode_ = parser == ParserKind::Binary ? Mode::BinaryDone : Mode::NmeaDone;
    } else {
      const uint8_t* marker = FindStartMarker(bytes, left);
      if (marker == nullptr) break;  // nothing open and nothing starts: the rest is dropped
      // The parser is fed from the current position; it skips the bytes before the marker itself.
      if (*marker == '%') {
        parser = ParserKind::Binary;
        consumed = FeedBinary(bytes, left, ended, result);
        mode_ = ended ? Mode::BinaryDone : Mode::BinaryOpen;
      } else {
        parser = ParserKind::Nmea;
        rejectedBeforeSentence_ = nmea_.rejectedCount();
        ResetWatch();
        consumed =
            FeedNmea(bytes, left, static_cast<int>(marker - bytes), ended, result, frameFound);
        mode_ = ended ? Mode::NmeaDone : Mode::NmeaOpen;
      }
      if (!ended) deadline_ = nowSeconds + kDeadlineSeconds;
    }

    // The echo keeps a line only while it fits; an over-long line starts the echo afresh, from
    // the last '$' it took when that sentence fits, so that a sentence after a long rejected run
    // is still echoed.
    if (lineFill_ + consumed < kLineCapacity) {
      std::memcpy(line_ + lineFill_, bytes, consumed);
      lineFill_ += consumed;
    } else {
      lineFill_ = 0;
      const uint8_t* dollar = parser == ParserKind::Nmea ? FindLast(bytes, consumed, '$') : nullptr;
      const int tail = dollar != nullptr ? static_cast<int>(bytes + consumed - dollar) : 0;
      if (tail > 0 && tail < kLineCapacity) {
        std::memcpy(line_, dollar, tail);
        lineFill_ = tail;
      }
    }
    position += consumed;

    if (frameFound && SplitOffWatchedFrame(onLine)) continue;
    if (mode_ == Mode::BinaryDone || mode_ == Mode::NmeaDone) {
      const int filled = lineFill_;
      lineFill_ = 0;
      if (parser == ParserKind::Nmea) ResetWatch();
      EmitLine(parser, result, line_, filled, onLine);
    }
  }
}

DisplaySource TakeDisplayUpdate(TNmea& nmea, TBinary& binary, TNavRecord& display) {
  if (nmea.record().updated) {
    nmea.record().updated = 0;
    display = nmea.record();
    return DisplaySource::Nmea;
  }
  if (binary.record().updated) {
    binary.record().updated = 0;
    display = binary.record();
    return DisplaySource::Binary;
  }
  return DisplaySource::None;
}

}  // namespace vetra
