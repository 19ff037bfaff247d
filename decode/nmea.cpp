#include "decode/nmea.h"

#include "decode/nmea_internal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vetra {
namespace {

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

// The four characters compared for each sentence type (the index is the type, SentenceType).
constexpr char kTags[][5] = {"PGGA", "PGLL", "PGSA", "PGSV", "PRMC", "PVTG", "PZDA", "MXTR"};
constexpr int kTagCount = sizeof(kTags) / sizeof(kTags[0]);
static_assert(kTagCount == 8, "eight sentence types");

constexpr int kMaxFieldCount = 127;  // the field count is a signed 8-bit count

#if defined(__SSE2__)
// Bit k is set when byte k of the block is a delimiter.
inline unsigned DelimiterMask(__m128i block) {
  auto is = [block](char c) { return _mm_cmpeq_epi8(block, _mm_set1_epi8(c)); };
  const __m128i found = _mm_or_si128(
      _mm_or_si128(_mm_or_si128(is(','), is('*')), _mm_or_si128(is('$'), is('\r'))), is('\n'));
  return static_cast<unsigned>(_mm_movemask_epi8(found));
}

// Bytes 0..n-1 all ones, the others zero (n from 0 to 16).
inline __m128i PrefixMask(int n) {
  alignas(16) static constexpr uint8_t kOnesThenZeros[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                             0xFF, 0xFF, 0xFF, 0xFF};
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(kOnesThenZeros + 16 - n));
}

// XOR of the 16 bytes.
inline uint8_t HorizontalXor(__m128i v) {
  v = _mm_xor_si128(v, _mm_srli_si128(v, 8));
  v = _mm_xor_si128(v, _mm_srli_si128(v, 4));
  v = _mm_xor_si128(v, _mm_srli_si128(v, 2));
  v = _mm_xor_si128(v, _mm_srli_si128(v, 1));
  return static_cast<uint8_t>(_mm_cvtsi128_si32(v));
}
#endif

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
    if (state_ == State::kFields && c == ',') {
      StoreField();  // by far the most frequent delimiter
    } else {
      result = HandleDelimiter(c);
    }
    tokenLength_ = 0;
    tokenXor_ = 0;
    // The receiver's sentences are at most 82 characters; a delimiter further into one call's
    // bytes means the stream is not sentences.
    if (i > kMaxDelimiterPosition) ++errorCount_;
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
#if defined(__SSE2__)
  // Hot state in locals: stores into the field slots may alias the members.
  int fieldCount = fieldCount_;
  int tokenLength = tokenLength_;
  int sentenceLength = sentenceLength_;
  uint32_t errors = errorCount_;
  // The XOR of the token's characters (those read before this call are in byte 0) and of the
  // characters of the fields stored here, folded to one byte on the way out.
  __m128i tokenData = _mm_cvtsi32_si128(tokenXor_);
  __m128i storedData = _mm_setzero_si128();
  const int fieldsBefore = fieldCount;
  bool sentenceTooLong = false;

  // The delimiter mask of the 16 bytes from blockStart; several fields are read from one mask.
  int blockStart = i;
  int blockEnd = i;  // empty: computed on the first pass
  unsigned blockDelimiters = 0;
  const int lastBlockStart = count - 16;
  while (i <= lastBlockStart && fieldCount < kFieldCapacity) {
    if (i >= blockEnd) {
      blockStart = i;
      blockEnd = i + 16;
      blockDelimiters =
          DelimiterMask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + blockStart)));
    }
    const unsigned ahead = blockDelimiters >> (i - blockStart);
    const int taken = ahead == 0 ? blockEnd - i : std::countr_zero(ahead);
    if (tokenLength + taken > kTokenSize) break;
    // The slot has room for 16 bytes behind the token; only `taken` of them count.
    const __m128i data = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    char* slot = fields_[fieldCount];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(slot + tokenLength), data);
    tokenData = _mm_xor_si128(tokenData, _mm_and_si128(data, PrefixMask(taken)));
    tokenLength += taken;
    i += taken;
    if (ahead == 0) continue;  // the token goes on in the next block
    if (bytes[i] != ',') break;

    // Store the field (see StoreField; its ',' goes into the checksum on the way out), then the
    // checks that follow every delimiter.
    storedData = _mm_xor_si128(storedData, tokenData);
    tokenData = _mm_setzero_si128();
    slot[tokenLength] = '\0';
    fieldLength_[fieldCount] = static_cast<uint8_t>(tokenLength);
    ++fieldCount;
    sentenceLength += tokenLength + 1;
    tokenLength = 0;
    errors += i > kMaxDelimiterPosition;
    ++i;
    if (sentenceLength > kMaxSentenceLength) {
      ++errors;
      sentenceTooLong = true;
      break;
    }
  }

  const bool oddFieldsStored = ((fieldCount - fieldsBefore) & 1) != 0;
  checksum_ ^= HorizontalXor(storedData) ^ (oddFieldsStored ? ',' : 0);
  tokenXor_ = HorizontalXor(tokenData);
  fieldCount_ = fieldCount;
  tokenLength_ = tokenLength;
  sentenceLength_ = sentenceLength;
  errorCount_ = errors;
  if (sentenceTooLong) state_ = State::kIdle;
#else
  (void)bytes;
  (void)count;
#endif
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
    fields_[fieldCount_][tokenLength_] = '\0';
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

// The address token: 4 characters compared whole, or 5 starting with 'G' of which the last four
// are compared ("GPGGA" is 'P' + "GGA"; "GNGGA" matches nothing).
void TNmea::MatchAddress() {
  state_ = State::kIdle;
  const char* address = fields_[kScratchSlot];
  const char* tag = nullptr;
  if (tokenLength_ == 4) {
    tag = address;
  } else if (tokenLength_ == 5 && address[0] == 'G') {
    tag = address + 1;
  }
  int type = -1;
  if (tag != nullptr) {
    for (int t = 0; t < kTagCount; ++t) {
      if (std::memcmp(tag, kTags[t], 4) == 0) {
        type = t;
        break;
      }
    }
  }
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
