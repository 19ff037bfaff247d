#include "decode/nmea.h"

#include "decode/nmea_blocks.h"
#include "decode/nmea_internal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

namespace vetra {
namespace {

using nmea_blocks::Block;
using nmea_blocks::DelimiterMask;
using nmea_blocks::FoldXor;
using nmea_blocks::kBlockSize;
using nmea_blocks::KeepFirst;
using nmea_blocks::LoadBlock;
using nmea_blocks::LoadTail;
using nmea_blocks::StoreBlock;
using nmea_blocks::Xor;
using nmea_blocks::ZeroBlock;
using nmea_internal::HexByte;

// Byte classes: everything that is not a delimiter is a data character.
enum ByteClass : uint8_t { kData = 0, kDollar, kComma, kStar, kCr, kLf };

constexpr std::array<uint8_t, 256> MakeClassTable() {
  std::array<uint8_t, 256> table{};
  table['$'] = kDollar;
  table[','] = kComma;
  table['*'] = kStar;
  table['\r'] = kCr;
  table['\n'] = kLf;
  return table;
}
constexpr std::array<uint8_t, 256> kClass = MakeClassTable();

constexpr int kMaxFieldCount = 127;  // the field count is a signed 8-bit count

}  // namespace

TNmea::TNmea() { ResetState(); }

void TNmea::ResetState() {
  state_ = State::kIdle;
  tokenLength_ = 0;
  tokenXor_ = 0;
  fieldCount_ = 0;
  sentenceType_ = 0;
  usedLow_ = 0;
  usedHigh_ = 0;
  record_.updated = 0;
}

void TNmea::ResetRecord() { ResetNavRecord(record_); }

NmeaFeed TNmea::Feed(const uint8_t* bytes, int count) {
  if (bytes == nullptr || count <= 0) return {};
  int i = 0;
  for (;;) {
    if (state_ == State::kFields) i = ScanFields(bytes, i, count);
    // A run of data characters. In the idle and line-end states nothing ever reads the token,
    // so the run is only skipped.
    if (state_ == State::kIdle || state_ == State::kLineEnd) {
      while (i < count && kClass[bytes[i]] == kData) ++i;
    } else {
      i = ReadToken(bytes, i, count);
    }
    if (i == count) return {count, 0};

    const uint8_t c = bytes[i];
    int result = 0;
    if (state_ == State::kIdle && c == '$') {
      // Most sentences are canonical and read whole; any other goes on byte by byte from here.
      const int next = ReadCanonicalSentence(bytes, i, count, result);
      if (next > 0) {
        if (result != 0) return {next, result};
        i = next;
        continue;
      }
    }
    if (state_ == State::kFields && c == ',') {
      StoreField();  // by far the most frequent delimiter
    } else {
      result = HandleDelimiter(c);
    }
    tokenLength_ = 0;
    tokenXor_ = 0;
    // The receiver's sentences are at most 82 characters; a delimiter further into one call's
    // bytes means the stream is not sentences.
    if (i > kMaxDelimiterPosition) {
      ++errorCount_;
      ++positionErrorCount_;
    }
    if (result != 0) return {i + 1, result};
    if (sentenceLength_ > kMaxSentenceLength) {
      state_ = State::kIdle;
      ++errorCount_;
    }
    ++i;
  }
}

// The fields state's common case, many fields per call: data characters and ',' while at least
// 16 bytes are left, the token stays within 32 characters and the field store has room. It does
// exactly what the byte loop in Feed does for those bytes, 16 bytes at a time, and leaves
// everything else (the other delimiters, a token that starts over, the last bytes) to that loop.
int TNmea::ScanFields(const uint8_t* bytes, int i, int count) {
  // Hot state in locals: stores into the field slots may alias the members.
  int fieldCount = fieldCount_;
  int tokenLength = tokenLength_;
  int sentenceLength = sentenceLength_;
  uint32_t errors = errorCount_;
  uint32_t positionErrors = 0;
  // The XOR of the token's characters (those read before this call are in byte 0) and of the
  // characters of the fields stored here, folded to one byte on the way out.
  Block tokenData = LoadTail(&tokenXor_, 1);
  Block storedData = ZeroBlock();
  const int fieldsBefore = fieldCount;
  bool sentenceTooLong = false;

  // The delimiter mask of the 16 bytes from blockStart; several fields are read from one mask.
  int blockStart = i;
  int blockEnd = i;  // empty: computed on the first pass
  unsigned blockDelimiters = 0;
  const int lastBlockStart = count - kBlockSize;
  while (i <= lastBlockStart && fieldCount < kFieldCapacity) {
    if (i >= blockEnd) {
      blockStart = i;
      blockEnd = i + kBlockSize;
      blockDelimiters = DelimiterMask(LoadBlock(bytes + blockStart));
    }
    const unsigned ahead = blockDelimiters >> (i - blockStart);
    const int taken = ahead == 0 ? blockEnd - i : std::countr_zero(ahead);
    if (tokenLength + taken > kTokenSize) break;
    // The slot has room for 16 bytes behind the token; only `taken` of them count.
    const Block data = LoadBlock(bytes + i);
    char* slot = fields_[fieldCount];
    StoreBlock(slot + tokenLength, data);
    tokenData = Xor(tokenData, KeepFirst(data, taken));
    tokenLength += taken;
    i += taken;
    if (ahead == 0) continue;  // the token goes on in the next block
    if (bytes[i] != ',') break;

    // Store the field (see StoreField; its ',' goes into the checksum on the way out), then the
    // checks that follow every delimiter.
    storedData = Xor(storedData, tokenData);
    tokenData = ZeroBlock();
    fieldLength_[fieldCount] = static_cast<uint8_t>(tokenLength);
    ++fieldCount;
    sentenceLength += tokenLength + 1;
    tokenLength = 0;
    positionErrors += i > kMaxDelimiterPosition;
    ++i;
    if (sentenceLength > kMaxSentenceLength) {
      ++errors;
      sentenceTooLong = true;
      break;
    }
  }

  const bool oddFieldsStored = ((fieldCount - fieldsBefore) & 1) != 0;
  checksum_ ^= FoldXor(storedData) ^ (oddFieldsStored ? ',' : 0);
  tokenXor_ = FoldXor(tokenData);
  fieldCount_ = fieldCount;
  tokenLength_ = tokenLength;
  sentenceLength_ = sentenceLength;
  errorCount_ = errors + positionErrors;
  positionErrorCount_ += positionErrors;
  if (sentenceTooLong) state_ = State::kIdle;
  return i;
}

int TNmea::TokenSlot() const {
  return (state_ == State::kFields && fieldCount_ < kFieldCapacity) ? fieldCount_ : kScratchSlot;
}

// Appends the data characters from bytes[i] on to the token and returns the index of the first
// byte that is not one (or count). A full token starts over, so that it keeps the characters
// after its last full 32.
int TNmea::ReadToken(const uint8_t* bytes, int i, int count) {
  char* slot = fields_[TokenSlot()];
  int length = tokenLength_;  // locals: stores through slot may alias the members
  uint8_t x = tokenXor_;
  for (; i < count; ++i) {
    const uint8_t c = bytes[i];
    if (kClass[c] != kData) break;
    if (length == kTokenSize) {
      length = 0;
      x = 0;
    }
    slot[length++] = static_cast<char>(c);
    x ^= c;
  }
  tokenLength_ = length;
  tokenXor_ = x;
  return i;
}

// The token already lies in the field's slot (see TokenSlot); a field after the 32nd is only
// counted and checked, not stored.
void TNmea::StoreField() {
  checksum_ ^= static_cast<uint8_t>(',') ^ tokenXor_;
  if (fieldCount_ < kFieldCapacity) {
    fieldLength_[fieldCount_] = static_cast<uint8_t>(tokenLength_);
  }
  if (fieldCount_ < kMaxFieldCount) ++fieldCount_;
  sentenceLength_ += tokenLength_ + 1;
}

int TNmea::HandleDelimiter(uint8_t c) {
  switch (state_) {
    case State::kIdle:
      if (c == '$') {
        sentenceLength_ = 1;
        state_ = State::kAddress;
      } else {
        sentenceLength_ = 0;
      }
      fieldCount_ = 0;
      return 0;
    case State::kAddress:
      MatchAddress();
      return 0;
    case State::kFields:
      switch (kClass[c]) {
        case kDollar:  // a new sentence interrupts this one
          sentenceLength_ = 1;
          fieldCount_ = 0;
          state_ = State::kAddress;
          return 0;
        case kStar:
          state_ = State::kChecksum;
          break;
        case kCr:
          state_ = State::kLineEnd;
          break;
        default:  // ',' and LF
          break;
      }
      StoreField();
      return 0;
    case State::kChecksum:
      CheckChecksum(c);
      return 0;
    case State::kLineEnd:
      if (c == '\n') {
        state_ = State::kIdle;
        return Decode();
      }
      if (c != '\r') {
        ++errorCount_;
        state_ = State::kIdle;
      }
      return 0;
  }
  return 0;
}

// The address token (see AddressType); a known one starts the fields of its sentence.
void TNmea::MatchAddress() {
  state_ = State::kIdle;
  const int type = nmea_internal::AddressType(fields_[kScratchSlot], tokenLength_);
  if (type < 0) {
    ++errorCount_;
    return;
  }
  sentenceType_ = static_cast<uint8_t>(type);
  checksum_ = tokenXor_;
  sentenceLength_ += 6;
  state_ = State::kFields;
}

void TNmea::CheckChecksum(uint8_t c) {
  if (c == '\r' && tokenLength_ == 2) {
    const char* digits = fields_[kScratchSlot];
    if (HexByte(digits[0], digits[1]) == checksum_) {
      sentenceLength_ += 3;
      state_ = State::kLineEnd;
      return;
    }
  }
  state_ = State::kIdle;
  ++errorCount_;
  ++checksumErrorCount_;
}

}  // namespace vetra
