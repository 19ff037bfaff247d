#pragma once
// What the sentence layer (nmea.cpp) and the decoders (nmea_decoders.cpp) of TNmea share.

namespace vetra::nmea_internal {

// Sentence types: the index of the matched tag.
enum SentenceType { kGga = 0, kGll, kGsa, kGsv, kRmc, kVtg, kZda, kProprietary };

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
