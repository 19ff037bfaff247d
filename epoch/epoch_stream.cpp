// EpochStream: finds the sentences and frames in the bytes, hands them to the reader and the
// assembler, and counts what it could not read.
//
// The byte loop has four states: between sentences (Idle), in a sentence (from its '$' to CR or
// LF; another '$' or a '%' there cuts it off, and it is counted unreadable), in a sentence longer
// than the reader takes (its bytes skipped to the line end), and in a binary frame (from '%', the
// module's frame receiver deciding where it ends or breaks; a byte that breaks it is looked at
// again between sentences). A sentence's bytes are copied into one fixed buffer in runs, so a log
// streams through without an allocation per byte or per sentence.

#include "epoch/epoch_stream.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "decode/binary.h"
#include "epoch/epoch_assembler.h"
#include "epoch/nmea_reader.h"
#include "link/frame.h"
#include "link/frame_receiver.h"
#include "model/receiver_stores.h"

namespace vetra {

namespace {

constexpr int64_t kDefaultSilenceMs = 500;
constexpr int64_t kMinSilenceMs = 150;
constexpr int64_t kMaxSilenceMs = 1500;

// Rows of the frame receiver's message table (link/frame_receiver.cpp) that carry a fix or the
// channel status.
constexpr int kRowFixD0 = 6, kRowFixD1 = 7, kRowChannels12 = 8, kRowChannels16 = 16;

// The bytes that end or cut a sentence: its line end, the next sentence's '$', a frame's '%'.
constexpr std::array<bool, 256> kEndsSentence = [] {
  std::array<bool, 256> table{};
  table['\r'] = table['\n'] = table['$'] = table[kFrameMarker] = true;
  return table;
}();

std::string Thousands(uint64_t n) {
  std::string digits = std::to_string(n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
    digits.insert(static_cast<size_t>(i), ",");
  return digits;
}

}  // namespace

class EpochStream::Impl {
 public:
  void Feed(std::span<const uint8_t> bytes, std::vector<Epoch>& epochs,
            std::vector<std::string>* sentences);
  void Idle(int64_t nowMs, std::vector<Epoch>& epochs);
  void Finish(std::vector<Epoch>& epochs);

  EpochCounts counts;

 private:
  enum class State : uint8_t { Idle, Sentence, TooLong, Frame };

  void Between(uint8_t c);
  void EndSentence(std::vector<Epoch>& epochs, std::vector<std::string>* sentences);
  void FrameByte(uint8_t c, std::vector<Epoch>& epochs);
  void OnFrame(std::vector<Epoch>& epochs);
  void Count(const std::vector<Epoch>& epochs, size_t before);

  State state_ = State::Idle;
  std::array<char, kMaxSentenceLength> text_{};
  size_t fill_ = 0;
  NmeaSentence sentence_;
  EpochAssembler assembler_;
  TFrameReceiver frames_;
  ReceiverStores stores_;
  TBinary binary_{stores_};
  bool fedSinceIdle_ = false;
  int64_t lastByteMs_ = -1;
};

void EpochStream::Impl::Count(const std::vector<Epoch>& epochs, size_t before) {
  for (size_t i = before; i < epochs.size(); ++i) {
    ++counts.epochs;
    if (epochs[i].hasFix()) ++counts.epochsWithFix;
  }
}

void EpochStream::Impl::Between(uint8_t c) {
  if (c == '$') {
    state_ = State::Sentence;
    text_[0] = '$';
    fill_ = 1;
  } else if (c == kFrameMarker) {
    state_ = State::Frame;
    frames_.Feed(&c, 1);
  } else if (c != '\r' && c != '\n') {
    ++counts.unrecognisedBytes;
  }
}

void EpochStream::Impl::Feed(std::span<const uint8_t> bytes, std::vector<Epoch>& epochs,
                             std::vector<std::string>* sentences) {
  counts.bytes += bytes.size();
  if (!bytes.empty()) fedSinceIdle_ = true;
  const size_t before = epochs.size();
  const uint8_t* p = bytes.data();
  const uint8_t* const end = p + bytes.size();
  while (p != end) {
    switch (state_) {
      case State::Idle:
        Between(*p++);
        break;
      case State::Sentence:
      case State::TooLong: {
        // The run up to the next byte that ends or cuts the sentence.
        const uint8_t* stop = p;
        while (stop != end && !kEndsSentence[*stop]) ++stop;
        const size_t run = static_cast<size_t>(stop - p);
        if (state_ == State::Sentence) {
          if (fill_ + run <= text_.size()) {
            std::memcpy(text_.data() + fill_, p, run);
            fill_ += run;
          } else {
            state_ = State::TooLong;
          }
        }
        p = stop;
        if (p == end) break;
        const uint8_t c = *p++;
        if (c == '\r' || c == '\n') {
          if (state_ == State::TooLong) {
            ++counts.malformed;
          } else {
            EndSentence(epochs, sentences);
          }
          state_ = State::Idle;
        } else {
          ++counts.malformed;  // cut off by the next sentence or frame
          state_ = State::Idle;
          Between(c);
        }
        break;
      }
      case State::Frame:
        FrameByte(*p++, epochs);
        break;
    }
  }
  Count(epochs, before);
}

void EpochStream::Impl::EndSentence(std::vector<Epoch>& epochs,
                                    std::vector<std::string>* sentences) {
  const std::string_view text(text_.data(), fill_);
  switch (ReadNmeaSentence(text, sentence_)) {
    case ReadOutcome::Read:
      ++counts.sentences;
      if (sentences) sentences->emplace_back(text);
      assembler_.Add(sentence_, epochs);
      break;
    case ReadOutcome::Other:
      ++counts.sentences;
      if (sentences) sentences->emplace_back(text);
      break;
    case ReadOutcome::ChecksumError:
      ++counts.checksumErrors;
      break;
    case ReadOutcome::Malformed:
      ++counts.malformed;
      break;
  }
  fill_ = 0;
}

void EpochStream::Impl::FrameByte(uint8_t c, std::vector<Epoch>& epochs) {
  const FrameFeed fed = frames_.Feed(&c, 1);
  if (fed.ended) {
    state_ = State::Idle;
    if (fed.checksumOk) {
      ++counts.binaryFrames;
      OnFrame(epochs);
    } else {
      ++counts.binaryChecksumErrors;
    }
  } else if (frames_.state() == TFrameReceiver::State::Idle) {
    // Not a frame after all: the byte that broke it may begin the next sentence.
    state_ = State::Idle;
    Between(c);
  }
}

void EpochStream::Impl::OnFrame(std::vector<Epoch>& epochs) {
  const int row = frames_.row();
  if (row != kRowFixD0 && row != kRowFixD1 && row != kRowChannels12 && row != kRowChannels16)
    return;
  // The module's own decoder reads the frame into its record, as the View page has it.
  const std::span<const uint8_t> frame = frames_.frame();
  std::array<uint8_t, kMaxFrameLength + kFrameOverhead> whole{};
  size_t n = 0;
  whole[n++] = kFrameMarker;
  whole[n++] = kFrameMarker;
  std::copy(frame.begin(), frame.end(), whole.begin() + static_cast<std::ptrdiff_t>(n));
  n += frame.size();
  whole[n++] = FrameChecksum(frame);
  whole[n++] = '\r';
  whole[n++] = '\n';
  binary_.Feed(whole.data(), static_cast<int>(n));
  if (row == kRowFixD0 || row == kRowFixD1) {
    assembler_.AddBinaryFix(binary_.record(), epochs);
  } else {
    assembler_.AddBinaryChannels(binary_.record(), row == kRowChannels16 ? 16 : 12, epochs);
  }
}

void EpochStream::Impl::Idle(int64_t nowMs, std::vector<Epoch>& epochs) {
  if (fedSinceIdle_) {
    fedSinceIdle_ = false;
    lastByteMs_ = nowMs;
    return;
  }
  if (!assembler_.open() || lastByteMs_ < 0) return;
  const int64_t interval = assembler_.epochIntervalMs();
  const int64_t silence =
      interval > 0 ? std::clamp(interval / 2, kMinSilenceMs, kMaxSilenceMs) : kDefaultSilenceMs;
  if (nowMs - lastByteMs_ < silence) return;
  const size_t before = epochs.size();
  assembler_.CloseAfterSilence(epochs);
  Count(epochs, before);
}

void EpochStream::Impl::Finish(std::vector<Epoch>& epochs) {
  const size_t before = epochs.size();
  const std::string_view rest(text_.data(), fill_);
  if (state_ == State::Sentence && rest.find('*') != std::string_view::npos) {
    EndSentence(epochs, nullptr);  // the last sentence, without a line end but whole
  } else if (state_ != State::Idle && state_ != State::Frame) {
    // Without a line end or a checksum it may have been cut anywhere: not read.
    ++counts.malformed;
    fill_ = 0;
  }
  state_ = State::Idle;
  assembler_.Close(epochs);
  Count(epochs, before);
}

std::string NoFixReason(const EpochCounts& c) {
  if (c.epochsWithFix > 0) return {};
  if (c.sentences == 0 && c.binaryFrames == 0 && c.checksumErrors == 0) {
    return "no fix: nothing that looks like NMEA or the module's binary output in " +
           Thousands(c.bytes) + " bytes";
  }
  std::string reason = "no fix: " + Thousands(c.sentences) + " sentences read, ";
  if (c.binaryFrames > 0) reason += Thousands(c.binaryFrames) + " binary frames read, ";
  reason += Thousands(c.checksumErrors) + " rejected by checksum, " +
            Thousands(c.epochs - c.epochsWithFix) + " epochs without a fix";
  return reason;
}

EpochStream::EpochStream() : impl_(std::make_unique<Impl>()) {}
EpochStream::~EpochStream() = default;
EpochStream::EpochStream(EpochStream&&) noexcept = default;
EpochStream& EpochStream::operator=(EpochStream&&) noexcept = default;

void EpochStream::Feed(std::span<const uint8_t> bytes, std::vector<Epoch>& epochs,
                       std::vector<std::string>* sentences) {
  impl_->Feed(bytes, epochs, sentences);
}
void EpochStream::Idle(int64_t nowMs, std::vector<Epoch>& epochs) { impl_->Idle(nowMs, epochs); }
void EpochStream::Finish(std::vector<Epoch>& epochs) { impl_->Finish(epochs); }
const EpochCounts& EpochStream::counts() const { return impl_->counts; }

}  // namespace vetra
