#pragma once
// The fixed conversions that turn the texts typed into the command panels into field values.
//
// - strict integer / strict real: the whole text must convert, otherwise ConversionError (the Send
//   is abandoned, its message is shown to the user as the toolkit would word it);
// - integer or default: the same conversion, a text that does not convert yields the default;
// - lenient number in base 10 or 16: leading white space, an optional sign, then digits of the base
//   up to the first character that is not one; no digits gives 0; computed as an unsigned 32-bit
//   number, saturating at FFFFFFFFh, a minus sign negating it modulo 2^32.
// No conversion checks a range: a field narrower than 32 bits keeps the low bits of the value.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vetra {

// A text that must convert strictly did not. what() reads like the toolkit's own message:
// "'abc' is not a valid integer value", "'' is not a valid floating point value".
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How many characters the edits of lenient fields accept; the encoders read no more than that.
inline constexpr size_t kLenientMaxLength = 10;
inline constexpr size_t kSleepTimeMaxLength = 7;  // lePowerSave

// Decimal with an optional sign, 32-bit signed, nothing else in the text.
int32_t StrictInteger(std::string_view text);
// Decimal floating point (optional sign, fraction, exponent); surrounding blanks are allowed.
double StrictReal(std::string_view text);
int32_t IntegerOrDefault(std::string_view text, int32_t fallback);
// Reads at most maxLength characters of text.
uint32_t LenientNumber(std::string_view text, int base, size_t maxLength = kLenientMaxLength);

// Latitude or longitude typed as degrees and minutes run together (DDMM, DDDMM, sign in front) to
// hundredths of a degree, truncating toward zero: 4913 -> 4921, -12306 -> -12310.
constexpr int32_t DegreesMinutesToHundredths(int32_t v) {
  return (v / 100) * 100 + ((v % 100) * 10) / 6;
}

std::string IntegerErrorText(std::string_view text);
std::string RealErrorText(std::string_view text);
// A text sent one byte per character that holds a character outside single bytes.
std::string SingleByteErrorText(std::string_view text);

}  // namespace vetra
