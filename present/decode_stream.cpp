#include "present/decode_stream.h"

#include <algorithm>

#include "present/decode_format.h"

namespace vetra {

namespace {

constexpr size_t kFlushBytes = 1 << 18;

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
  if (format_ == Format::Json) AppendDecodeJson(out_, line, nmea_.errorCount(), record);
  if (DecodesPosition(line)) {
    ++positions_;
    if (positionSink_) positionSink_(record);
  }
  FlushIfFull();
}

void DecodeStream::FlushIfFull() {
  if (out_.size() < kFlushBytes) return;
  output_(out_);
  out_.clear();
}

}  // namespace vetra
