// The whole-sentence fast path of TNmea. Nearly every sentence a receiver sends is canonical:
//   $GPGGA,202640.000,4404.1306,N,12118.8515,W,2,10,0.98,1127.7,M,-19.6,M,0000,0000*6C<CR><LF>
// a known address of 4 or 5 characters and ',', at most 32 fields of at most 32 characters, '*',
// two hexadecimal digits that match the checksum, CR and LF right after, the length estimate
// within 80, and all of it within the bytes of this Feed call. Such a sentence is read at once:
// it is scanned and copied 16 bytes at a time (its delimiters found, its checksum folded), its
// fields are taken where they lie in the copy, and it is decoded. Anything else (no '*hh', a wrong
// checksum, a '$' inside, a long token, more fields, CR not followed by LF, a sentence cut off by
// the end of the call ...) is left to the byte machine from the '$', which reads it as always.
// The byte machine would pass a canonical sentence through exactly these steps to the same fields
// and state, so the results, the record and the error count are the same whichever reads it.

#include <algorithm>
#include <bit>
#include <cstring>

#include "decode/nmea.h"
#include "decode/nmea_blocks.h"
#include "decode/nmea_internal.h"

namespace vetra {
namespace {

using nmea_blocks::Block;
using nmea_blocks::CommaMask;
using nmea_blocks::FoldXor;
using nmea_blocks::kBlockSize;
using nmea_blocks::KeepRange;
using nmea_blocks::LoadBlock;
using nmea_blocks::LoadTail;
using nmea_blocks::OtherDelimiterMask;
using nmea_blocks::StoreBlock;
using nmea_blocks::Xor;
using nmea_blocks::ZeroBlock;

// '$' to LF: the estimate counts a 5-character address sentence's characters up to and with its
// CR and must stay within 80, so with its LF a canonical sentence has at most 81 bytes.
constexpr int kMaxCanonicalBytes = TNmea::kMaxSentenceLength + 1;

// The bits of the two words (sentence positions 0..127) set at `from` and beyond.
int CountFrom(const uint64_t (&bits)[2], int from) {
  int n = 0;
  for (int word = 0; word < 2; ++word) {
    const int shift = std::clamp(from - 64 * word, 0, 64);
    if (shift < 64) n += std::popcount(bits[word] >> shift);
  }
  return n;
}

}  // namespace

// Called in the idle state with bytes[start] == '$'. Returns the index after the sentence's LF,
// with result the decoder's result, or -1 when the sentence is not canonical. The sentence is
// kept in the sentence copy and its fields are read from there.
int TNmea::ReadCanonicalSentence(const uint8_t* bytes, int start, int count, int& result) {
  const uint8_t* sentence = bytes + start;
  const int available = count - start;
  const int limit = std::min(available, kMaxCanonicalBytes);

  // The commas (bit k: sentence[k]) before the first other delimiter after the '$', and the XOR
  // of the bytes before that one.
  uint64_t commas[2] = {0, 0};
  Block sum = ZeroBlock();
  int end = -1;
  for (int block = 0; block < limit; block += kBlockSize) {
    // The call's last bytes are read as the block that ends with them, which starts `shift` bytes
    // early (still within the call), or padded when the whole call has fewer than 16 bytes.
    int shift = 0;
    Block b;
    if (block + kBlockSize <= available) {
      b = LoadBlock(sentence + block);
    } else if (count >= kBlockSize) {
      shift = block + kBlockSize - available;
      b = LoadBlock(sentence + block - shift);
    } else {
      b = LoadTail(sentence + block, available - block);
    }
    StoreBlock(sentenceCopy_ + block - shift, b);
    commas[block / 64] |= uint64_t{CommaMask(b) >> shift} << (block % 64);
    // The address of 4 or 5 characters ends at the first comma: a '$' in other data is passed
    // over after one block.
    const int firstComma = std::countr_zero(commas[0]);
    if (block == 0 && firstComma != 5 && firstComma != 6) return -1;
    unsigned others = OtherDelimiterMask(b) >> shift;
    if (block == 0) others &= ~1u;  // the '$'
    if (others != 0) {
      end = block + std::countr_zero(others);
      sum = Xor(sum, KeepRange(b, shift, shift + end - block));
      break;
    }
    sum = Xor(sum, b);  // a tail without the end leaves the sentence unfinished: -1 below
  }
  // It must be the '*' of "*hh" CR LF, all within the canonical length.
  const int star = end;
  const int lf = star + 4;
  if (star < 0 || lf >= limit) return -1;
  if (sentence[star] != '*' || sentence[star + 3] != '\r' || sentence[lf] != '\n') return -1;
  const uint8_t checksum = FoldXor(sum) ^ '$';
  if (nmea_internal::HexByte(static_cast<char>(sentence[star + 1]),
                             static_cast<char>(sentence[star + 2])) != checksum) {
    return -1;
  }
  if (star < 64) {
    commas[0] &= (uint64_t{1} << star) - 1;
    commas[1] = 0;
  } else {
    commas[1] &= (uint64_t{1} << (star - 64)) - 1;
  }

  // The address ends at the first comma; each comma starts a field.
  if (commas[0] == 0) return -1;
  const int addressEnd = std::countr_zero(commas[0]);
  const int type =
      nmea_internal::AddressType(reinterpret_cast<const char*>(sentence + 1), addressEnd - 1);
  if (type < 0) return -1;
  // '$', address and comma as 7, each field with its delimiter, "hh" and CR.
  const int length = 7 + (star - addressEnd) + 3;
  if (length > kMaxSentenceLength) return -1;

  // Delimiters beyond position 82 of the call count errors, as in the byte machine.
  const int firstCounted = kMaxDelimiterPosition + 1 - start;
  const int positionErrors = lf < firstCounted
                                 ? 0
                                 : (0 >= firstCounted) + CountFrom(commas, firstCounted) +
                                       (star >= firstCounted) + (star + 3 >= firstCounted) + 1;

  int field = 0;
  int previous = addressEnd;
  auto copyUpTo = [&](int delimiter) {
    const int tokenLength = delimiter - previous - 1;
    if (tokenLength > kTokenSize || field == kFieldCapacity) return false;
    fieldOffset_[field] = static_cast<uint8_t>(previous + 1);
    fieldLength_[field] = static_cast<uint8_t>(tokenLength);
    ++field;
    previous = delimiter;
    return true;
  };
  commas[0] &= commas[0] - 1;  // the address's comma ends no field
  for (int w = 0; w < 2; ++w) {
    for (uint64_t word = commas[w]; word != 0; word &= word - 1) {
      if (!copyUpTo(64 * w + std::countr_zero(word))) return -1;
    }
  }
  if (!copyUpTo(star)) return -1;

  // The state the byte machine leaves at the LF, then its decode.
  errorCount_ += static_cast<uint32_t>(positionErrors);
  positionErrorCount_ += static_cast<uint32_t>(positionErrors);
  sentenceType_ = static_cast<uint8_t>(type);
  checksum_ = checksum;
  fieldCount_ = field;
  sentenceLength_ = length;
  tokenLength_ = 0;
  tokenXor_ = 0;
  state_ = State::kIdle;
  fieldsInCopy_ = true;
  result = Decode();
  fieldsInCopy_ = false;
  return start + lf + 1;
}

}  // namespace vetra
