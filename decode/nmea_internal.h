#pragma once
// What the sentence layer (nmea.cpp, nmea_fast_path.cpp) and the decoders (nmea_decoders.cpp) of
// TNmea share.

#include <cstring>

namespace vetra::nmea_internal {

// Sentence types: the index of the matched tag.
enum SentenceType { kGga = 0, kGll, kGsa, kGsv, kRmc, kVtg, kZda, kProprietary };

// The four characters compared for each sentence type (the index is the type).
inline constexpr char kTags[][5] = {"PGGA", "PGLL", "PGSA", "PGSV", "PRMC", "PVTG", "PZDA", "MXTR"};
inline constexpr int kTagCount = sizeof(kTags) / sizeof(kTags[0]);
static_assert(kTagCount == kProprietary + 1, "one tag per sentence type");

// The sentence type of an address token of `length` characters: 4 compared whole, or 5 starting
// with 'G' of which the last four are compared ("GPGGA" is 'P' + "GGA"; "GNGGA" matches nothing).
// -1 when it is none.
inline int AddressType(const char* address, int length) {
  const char* tag = nullptr;
  if (length == 4) {
    tag = address;
  } else if (length == 5 && address[0] == 'G') {
    tag = address + 1;
  }
  if (tag == nullptr) return -1;
  for (int t = 0; t < kTagCount; ++t) {
    if (std::memcmp(tag, kTags[t], 4) == 0) return t;
  }
  return -1;
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Two hexadecimal digits of either case; -1 when either is not one.
inline int HexByte(char high, char low) {
  const int h = HexDigit(high);
  const int l = HexDigit(low);
  return (h < 0 || l < 0) ? -1 : h * 16 + l;
}

}  // namespace vetra::nmea_internal
