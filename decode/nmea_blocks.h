#pragma once
// The 16-byte blocks of TNmea's scans. SSE2 where the compiler targets it (every x86-64 build); a
// plain scalar version of the same meaning elsewhere (ARM, an x86 build without SSE2), or when
// VETRA_NMEA_SCALAR is defined, which one test program does to prove that both give the same
// results. A block is loaded only from 16 bytes that lie within the caller's buffer.

#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && !defined(VETRA_NMEA_SCALAR)
#define VETRA_NMEA_SSE2 1
#include <emmintrin.h>
#endif

namespace vetra::nmea_blocks {

constexpr int kBlockSize = 16;

#if defined(VETRA_NMEA_SSE2)
using Block = __m128i;

inline Block LoadBlock(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void StoreBlock(char* p, Block b) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), b); }
inline Block ZeroBlock() { return _mm_setzero_si128(); }
inline Block Xor(Block a, Block b) { return _mm_xor_si128(a, b); }
inline Block Or(Block a, Block b) { return _mm_or_si128(a, b); }
// Bytes FFh where byte k is c, else 0.
inline Block Equal(Block b, char c) {
  return _mm_cmpeq_epi8(b, _mm_set1_epi8(static_cast<char>(c)));
}
// Bit k is the top bit of byte k.
inline unsigned Bits(Block b) { return static_cast<unsigned>(_mm_movemask_epi8(b)); }

// Bytes 0..n-1 kept, the others zero (n from 0 to 16).
inline Block KeepFirst(Block b, int n) {
  alignas(16) static constexpr uint8_t kOnesThenZeros[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                             0xFF, 0xFF, 0xFF, 0xFF};
  return _mm_and_si128(b, LoadBlock(kOnesThenZeros + 16 - n));
}

// Bytes from..to-1 kept, the others zero (0 <= from <= to <= 16).
inline Block KeepRange(Block b, int from, int to) {
  alignas(16) static constexpr uint8_t kOnesThenZeros[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                             0xFF, 0xFF, 0xFF, 0xFF};
  const Block before = LoadBlock(kOnesThenZeros + 16 - from);
  const Block upTo = LoadBlock(kOnesThenZeros + 16 - to);
  return _mm_and_si128(b, _mm_andnot_si128(before, upTo));
}

// XOR of the 16 bytes.
inline uint8_t FoldXor(Block v) {
  v = _mm_xor_si128(v, _mm_srli_si128(v, 8));
  v = _mm_xor_si128(v, _mm_srli_si128(v, 4));
  v = _mm_xor_si128(v, _mm_srli_si128(v, 2));
  v = _mm_xor_si128(v, _mm_srli_si128(v, 1));
  return static_cast<uint8_t>(_mm_cvtsi128_si32(v));
}
#else
struct Block {
  uint8_t bytes[kBlockSize];
};

inline Block LoadBlock(const uint8_t* p) {
  Block b;
  std::memcpy(b.bytes, p, kBlockSize);
  return b;
}
inline void StoreBlock(char* p, const Block& b) { std::memcpy(p, b.bytes, kBlockSize); }
inline Block ZeroBlock() { return Block{}; }
inline Block Xor(Block a, const Block& b) {
  for (int k = 0; k < kBlockSize; ++k) a.bytes[k] ^= b.bytes[k];
  return a;
}
inline Block Or(Block a, const Block& b) {
  for (int k = 0; k < kBlockSize; ++k) a.bytes[k] |= b.bytes[k];
  return a;
}
inline Block Equal(Block b, char c) {
  for (uint8_t& x : b.bytes) x = x == static_cast<uint8_t>(c) ? 0xFF : 0;
  return b;
}
inline unsigned Bits(const Block& b) {
  unsigned mask = 0;
  for (int k = 0; k < kBlockSize; ++k) mask |= static_cast<unsigned>(b.bytes[k] >> 7) << k;
  return mask;
}
inline Block KeepFirst(Block b, int n) {
  for (int k = n; k < kBlockSize; ++k) b.bytes[k] = 0;
  return b;
}
inline Block KeepRange(Block b, int from, int to) {
  for (int k = 0; k < kBlockSize; ++k) {
    if (k < from || k >= to) b.bytes[k] = 0;
  }
  return b;
}
inline uint8_t FoldXor(const Block& b) {
  uint8_t x = 0;
  for (uint8_t c : b.bytes) x ^= c;
  return x;
}
#endif

// The n bytes (n from 0 to 16) of a tail, then zeros (never a delimiter), for a buffer shorter
// than a block.
inline Block LoadTail(const uint8_t* p, int n) {
  uint8_t padded[kBlockSize] = {};
  std::memcpy(padded, p, static_cast<size_t>(n));
  return LoadBlock(padded);
}

// Bit k is set when byte k is '$', '*', CR or LF: a delimiter other than ','.
inline unsigned OtherDelimiterMask(const Block& b) {
  return Bits(Or(Or(Equal(b, '*'), Equal(b, '$')), Or(Equal(b, '\r'), Equal(b, '\n'))));
}

inline unsigned CommaMask(const Block& b) { return Bits(Equal(b, ',')); }

// Bit k is set when byte k is a delimiter.
inline unsigned DelimiterMask(const Block& b) { return OtherDelimiterMask(b) | CommaMask(b); }

}  // namespace vetra::nmea_blocks
