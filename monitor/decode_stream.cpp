#include "monitor/decode_stream.h"

#include <algorithm>

#include "monitor/decode_format.h"

namespace vetra {

namespace {

constexpr size_t kFlushBytes = 1 << 18;

// The address of a sentence ("GPGGA", "PGGA") from the bytes that followed its '$'.
std::string_view SentenceAddress(std::string_view head) {
  const size_t end = head.find_first_of(",*\r\n");
  return head.substr(0, end);
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

DecodeStream::DecodeStream(Format format, int runBytes, Output output)
    : format_(format),
      runBytes_(std::max(runBytes, 1)),
      output_(std::move(output)),
      binary_(stores_),
      splitter_(nmea_, binary_) {
  partialRun_.reserve(static_cast<size_t>(runBytes_));
  out_.reserve(kFlushBytes + 4096);
}

void DecodeStream::Feed(const uint8_t* bytes, size_t count) {
  const auto runBytes = static_cast<size_t>(runBytes_);
  if (!partialRun_.empty()) {
    const size_t take = std::min(count, runBytes - partialRun_.size());
    partialRun_.insert(partialRun_.end(), bytes, bytes + take);
    bytes += take;
    count -= take;
    if (partialRun_.size() < runBytes) return;
    PlayRun(partialRun_.data(), runBytes_);
    partialRun_.clear();
  }
  while (count >= runBytes) {
    PlayRun(bytes, runBytes_);
    bytes += runBytes;
    count -= runBytes;
  }
  partialRun_.assign(bytes, bytes + count);
}

void DecodeStream::Finish() {
  if (!partialRun_.empty()) {
    PlayRun(partialRun_.data(), static_cast<int>(partialRun_.size()));
    partialRun_.clear();
  }
  if (!out_.empty()) output_(out_);
  out_.clear();
}

void DecodeStream::PlayRun(const uint8_t* bytes, int count) {
  const int64_t nowSeconds = passes_ * kPassMs / 1000;
  ++passes_;
  splitter_.Process(bytes, count, nowSeconds, [this](const EchoLine& line) { OnLine(line); });
  TakeDisplayUpdate(nmea_, binary_, display_);
}

void DecodeStream::OnLine(const EchoLine& line) {
  ++linesEchoed_;
  const TNavRecord& record = line.parser == ParserKind::Nmea ? nmea_.record() : binary_.record();
  if (format_ == Format::Json) {
    AppendDecodeJson(out_, line, nmea_.errorCount(), record);
  } else if (IsPosition(line)) {
    ++positions_;
    AppendBriefLine(out_, record);
  }
  FlushIfFull();
}

// A line that decoded a position: an accepted GGA or RMC sentence, or a navigation fix frame
// (F2 D0, F2 D1) with a good checksum. The frame is recognised by its first "%%" in the echo;
// bytes before it hold no '%' (the split starts a frame line at the first one).
bool DecodeStream::IsPosition(const EchoLine& line) const {
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

void DecodeStream::FlushIfFull() {
  if (out_.size() < kFlushBytes) return;
  output_(out_);
  out_.clear();
}

}  // namespace vetra
