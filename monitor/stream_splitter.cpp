#include "monitor/stream_splitter.h"

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
// line open, as before; one that TNmea dropped (a wrong checksum, an unknown address: its error
// count rose) ends the line at its LF, so that a '%' after it starts a frame at once instead of
// going to TNmea until the deadline.
int TStreamSplitter::FeedNmea(const uint8_t* bytes, int count, int from, bool& ended, int& result) {
  const auto* lf = static_cast<const uint8_t*>(std::memchr(bytes + from, '\n', count - from));
  const int limit = lf != nullptr ? static_cast<int>(lf - bytes) + 1 : count;
  const NmeaFeed feed = nmea_.Feed(bytes, limit);
  const int consumed = CheckedConsumed(feed.consumed, limit);
  TrackSentenceHead(bytes, consumed);
  const bool atLineEnd = bytes[consumed - 1] == '\n';
  const bool dropped = atLineEnd && nmea_.errorCount() != errorsBeforeSentence_;
  if (atLineEnd) errorsBeforeSentence_ = nmea_.errorCount();
  ended = feed.result != 0 || dropped;
  result = feed.result;
  return consumed;
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
    ParserKind parser = ParserKind::Nmea;

    if (mode_ == Mode::BinaryOpen || mode_ == Mode::NmeaOpen) {
      // An open sentence or frame keeps the bytes until it ends or its time runs out; the parser
      // keeps its partial state either way.
      parser = mode_ == Mode::BinaryOpen ? ParserKind::Binary : ParserKind::Nmea;
      consumed = parser == ParserKind::Binary ? FeedBinary(bytes, left, ended, result)
                                              : FeedNmea(bytes, left, 0, ended, result);
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
        errorsBeforeSentence_ = nmea_.errorCount();
        consumed = FeedNmea(bytes, left, static_cast<int>(marker - bytes), ended, result);
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

    if (mode_ == Mode::BinaryDone || mode_ == Mode::NmeaDone) {
      // The line ends: its last two bytes (normally CR LF) go, and as text it stops at a NUL.
      const int filled = lineFill_;
      const int kept = std::max(filled - 2, 0);
      const auto* nul = static_cast<const uint8_t*>(std::memchr(line_, 0, kept));
      const size_t length = nul ? static_cast<size_t>(nul - line_) : static_cast<size_t>(kept);
      lineFill_ = 0;
      EchoLine line{
          std::string_view(reinterpret_cast<const char*>(line_), length), parser, result,
          parser == ParserKind::Nmea ? std::string_view(head_, headFill_) : std::string_view(),
          std::string_view(reinterpret_cast<const char*>(line_), static_cast<size_t>(filled))};
      onLine(line);
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
