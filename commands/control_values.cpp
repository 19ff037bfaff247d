#include "commands/control_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vetra {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// How many digits of `base` the largest magnitude the control accepts has: more significant
// digits than that can never come back into range.
int DigitsOf(double magnitude, int base) {
  int digits = 1;
  for (double v = std::floor(magnitude); v >= base; v = std::floor(v / base)) ++digits;
  return digits;
}

double LargestMagnitude(const ControlDescriptor& c) {
  return std::max(std::fabs(c.minimum), std::fabs(c.maximum));
}

// Decoded characters of UTF-8 text; nullopt when the bytes are not UTF-8.
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view text) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      cp = lead & 0x07;
    } else {
      return std::nullopt;
    }
    if (text.size() - i <= static_cast<size_t>(extra) && extra > 0) return std::nullopt;  // cut off
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
      return std::nullopt;
    }
    out.push_back(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

// --- Integer and hexadecimal edits --------------------------------------------------------------

struct Whole {
  bool wellFormed = false;  // sign and digits (or digits alone), nothing else
  bool partial = false;     // a sign alone
  long long value = 0;
};

Whole ReadWhole(const ControlDescriptor& c, std::string_view text, int base, bool signAllowed) {
  Whole w;
  bool negative = false;
  if (signAllowed && !text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    // A minus sign where the field holds no negative value can never be accepted.
    if (negative && c.minimum >= 0) return w;
    text.remove_prefix(1);
    if (text.empty()) {
      w.partial = true;
      return w;
    }
  }
  for (char ch : text) {
    if (!(base == 16 ? IsHexDigit(ch) : IsDigit(ch))) return w;
  }
  size_t first = text.find_first_not_of('0');
  const std::string_view significant = first == std::string_view::npos ? "" : text.substr(first);
  if (static_cast<int>(significant.size()) > DigitsOf(LargestMagnitude(c), base)) return w;
  w.wellFormed = true;
  std::from_chars(text.data(), text.data() + text.size(), w.value, base);
  if (negative) w.value = -w.value;
  return w;
}

bool WholeInRange(const ControlDescriptor& c, long long value) {
  if (static_cast<double>(value) < c.minimum || static_cast<double>(value) > c.maximum) {
    return false;
  }
  return !c.degreesMinutes || std::llabs(value) % 100 < 60;
}

// --- Real edits ---------------------------------------------------------------------------------

enum class RealShape { Invalid, Partial, Complete };

// sign? (digits ('.' digits?)? | '.' digits) (('e'|'E') sign? digits)?
RealShape ShapeOfReal(const ControlDescriptor& c, std::string_view text) {
  enum { kStart, kSign, kInt, kPointAfterInt, kPointAlone, kFraction, kExp, kExpSign, kExpDigits };
  int state = kStart;
  for (char ch : text) {
    switch (state) {
      case kStart:
        if (ch == '+' || (ch == '-' && c.minimum < 0)) {
          state = kSign;
          continue;
        }
        [[fallthrough]];
      case kSign:
        if (IsDigit(ch)) {
          state = kInt;
        } else if (ch == '.') {
          state = kPointAlone;
        } else {
          return RealShape::Invalid;
        }
        continue;
      case kInt:
        if (IsDigit(ch)) continue;
        if (ch == '.') {
          state = kPointAfterInt;
        } else if (ch == 'e' || ch == 'E') {
          state = kExp;
        } else {
          return RealShape::Invalid;
        }
        continue;
      case kPointAfterInt:
      case kFraction:
        if (IsDigit(ch)) {
          state = kFraction;
        } else if (ch == 'e' || ch == 'E') {
          state = kExp;
        } else {
          return RealShape::Invalid;
        }
        continue;
      case kPointAlone:
        if (!IsDigit(ch)) return RealShape::Invalid;
        state = kFraction;
        continue;
      case kExp:
        if (ch == '+' || ch == '-') {
          state = kExpSign;
          continue;
        }
        [[fallthrough]];
      case kExpSign:
      case kExpDigits:
        if (!IsDigit(ch)) return RealShape::Invalid;
        state = kExpDigits;
        continue;
    }
  }
  const bool complete =
      state == kInt || state == kPointAfterInt || state == kFraction || state == kExpDigits;
  return complete ? RealShape::Complete : RealShape::Partial;
}

std::optional<double> RealValue(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// --- Texts --------------------------------------------------------------------------------------

bool TextFits(const ControlDescriptor& c, std::string_view text) {
  const std::optional<std::string> bytes = SingleByteText(text);
  return bytes && (c.maxLength == 0 || bytes->size() <= c.maxLength);
}

std::string Number(double value, bool hex) {
  char text[40];
  if (hex) {
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(value));
  } else if (value == std::floor(value) && std::fabs(value) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", value);
  } else {
    std::snprintf(text, sizeof text, "%g", value);
  }
  return text;
}

}  // namespace

TypedState JudgeTyped(const ControlDescriptor& c, std::string_view text) {
  if (text.empty()) return TypedState::Acceptable;
  if (c.kind == ControlKind::Text) {
    return TextFits(c, text) ? TypedState::Acceptable : TypedState::Invalid;
  }
  if (c.maxLength != 0 && text.size() > c.maxLength) return TypedState::Invalid;
  switch (c.kind) {
    case ControlKind::Integer:
    case ControlKind::Hex: {
      const bool hex = c.kind == ControlKind::Hex;
      const Whole w = ReadWhole(c, text, hex ? 16 : 10, !hex);
      if (w.partial) return TypedState::Intermediate;
      if (!w.wellFormed) return TypedState::Invalid;
      return WholeInRange(c, w.value) ? TypedState::Acceptable : TypedState::Intermediate;
    }
    case ControlKind::Real: {
      const RealShape shape = ShapeOfReal(c, text);
      if (shape == RealShape::Invalid) return TypedState::Invalid;
      if (shape == RealShape::Partial) return TypedState::Intermediate;
      const std::optional<double> value = RealValue(text);
      return value && *value >= c.minimum && *value <= c.maximum ? TypedState::Acceptable
                                                                 : TypedState::Intermediate;
    }
    default:
      return TypedState::Acceptable;  // choices and check boxes have no text
  }
}

std::optional<std::string> Refusal(const ControlDescriptor& c, std::string_view text) {
  if (!IsEdit(c.kind)) return std::nullopt;
  // Typing judges a prefix; a whole value must be accepted itself.
  if (JudgeTyped(c, text) == TypedState::Acceptable) return std::nullopt;
  return AcceptedValues(c);
}

std::string AcceptedValues(const ControlDescriptor& c) {
  const std::string range = " from " + Number(c.minimum, c.kind == ControlKind::Hex) + " to " +
                            Number(c.maximum, c.kind == ControlKind::Hex);
  switch (c.kind) {
    case ControlKind::Integer:
      if (c.degreesMinutes) {
        return std::string("degrees and minutes run together (") +
               (c.maximum >= 10000 ? "DDDMM" : "DDMM") + ", minutes below 60)" + range;
      }
      return "a whole number" + range;
    case ControlKind::Hex:
      return "hexadecimal digits" + range;
    case ControlKind::Real:
      return "a decimal number" + range;
    case ControlKind::Text:
      return "at most " + std::to_string(c.maxLength) +
             " characters, each a single byte (U+0000 to U+00FF)";
    default:
      return {};
  }
}

std::optional<RefusedValue> FirstRefusedValue(const std::vector<ControlRef>& controls) {
  for (const ControlRef& control : controls) {
    if (!IsEdit(control.kind()) || control.value.text == nullptr) continue;
    const std::string& text = *control.value.text;
    if (auto accepted = Refusal(*control.descriptor, text)) {
      return RefusedValue{control.name(), text, std::move(*accepted)};
    }
  }
  return std::nullopt;
}

std::string RefusalText(std::string_view field, const RefusedValue& refused) {
  return std::string(field) + ": '" + refused.text + "' is not accepted; it takes " +
         refused.accepted;
}

std::optional<std::string> SingleByteText(std::string_view utf8) {
  const auto characters = DecodeUtf8(utf8);
  if (!characters) return std::nullopt;
  std::string bytes;
  bytes.reserve(characters->size());
  for (char32_t cp : *characters) {
    if (cp > 0xFF) return std::nullopt;
    bytes.push_back(static_cast<char>(cp));
  }
  return bytes;
}

std::string Utf8FromSingleBytes(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text.push_back(c);
    } else {
      text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return text;
}

}  // namespace vetra
