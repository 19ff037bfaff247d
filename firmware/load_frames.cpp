#include "firmware/load_frames.h"

#include "link/frame.h"

namespace vetra {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view SkipHexPrefix(std::string_view text) {
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return text.substr(2);
  }
  return text;
}

}  // namespace

std::array<uint8_t, 12> BuildStartFrame(uint32_t loadAddress, int32_t imageSize) {
  const uint16_t addressHigh = static_cast<uint16_t>(loadAddress >> 16);
  const uint16_t kilobytes = static_cast<uint16_t>(imageSize / 1024);
  const uint8_t payload[5] = {
      0x06, static_cast<uint8_t>(addressHigh & 0xFF), static_cast<uint8_t>(addressHigh >> 8),
      static_cast<uint8_t>(kilobytes & 0xFF), static_cast<uint8_t>(kilobytes >> 8)};
  std::array<uint8_t, 12> frame{};
  BuildFrame(kClassCommand, 0x72, payload, frame);
  return frame;
}

uint32_t ReadLoadAddress(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  text = SkipHexPrefix(text);
  uint32_t value = 0;
  for (char c : text) {
    const int digit = HexValue(c);
    if (digit < 0) break;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}

std::optional<uint32_t> ParseLoadAddress(std::string_view text) {
  text = SkipHexPrefix(text);
  if (text.empty() || text.size() > 8) return std::nullopt;
  for (char c : text) {
    if (HexValue(c) < 0) return std::nullopt;
  }
  return ReadLoadAddress(text);
}

}  // namespace vetra
