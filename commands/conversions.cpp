#include "commands/conversions.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vetra {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool ParseInteger(std::string_view text, int32_t& value) {
  // The toolkit's integer conversion skips leading blanks (nothing after the number).
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  text.remove_prefix(i);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) return false;
  }
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
  return ec == std::errc{} && ptr == end;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

}  // namespace

std::string IntegerErrorText(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}

std::string RealErrorText(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid floating point value";
}

std::string SingleByteErrorText(std::string_view text) {
  return "'" + std::string(text) + "' holds characters that are not single bytes";
}

int32_t StrictInteger(std::string_view text) {
  int32_t value = 0;
  if (!ParseInteger(text, value)) throw ConversionError(IntegerErrorText(text));
  return value;
}

double StrictReal(std::string_view text) {
  std::string_view t = text;
  while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
  bool negative = false;
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  // Only digits may start the number: from_chars would also take "inf" and "nan", which the
  // toolkit's conversion refuses.
  if (t.empty() || !((t.front() >= '0' && t.front() <= '9') || t.front() == '.')) {
    throw ConversionError(RealErrorText(text));
  }
  double value = 0;
  const char* end = t.data() + t.size();
  auto [ptr, ec] = std::from_chars(t.data(), end, value, std::chars_format::general);
  if (ec != std::errc{} || ptr != end || !std::isfinite(value)) {
    throw ConversionError(RealErrorText(text));
  }
  return negative ? -value : value;
}

int32_t IntegerOrDefault(std::string_view text, int32_t fallback) {
  int32_t value = 0;
  return ParseInteger(text, value) ? value : fallback;
}

uint32_t LenientNumber(std::string_view text, int base, size_t maxLength) {
  text = text.substr(0, maxLength);
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  uint64_t value = 0;
  bool saturated = false;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i]);
    if (digit >= base) break;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (value > std::numeric_limits<uint32_t>::max()) saturated = true;
    if (saturated) value = std::numeric_limits<uint32_t>::max();
  }
  // Like the C runtime's unsigned parse: an out-of-range magnitude gives FFFFFFFFh whatever
  // the sign; otherwise a minus sign negates modulo 2^32.
  if (saturated) return std::numeric_limits<uint32_t>::max();
  const auto result = static_cast<uint32_t>(value);
  return negative ? 0u - result : result;
}

}  // namespace vetra
