#pragma once
// Numbers appended to text as the output formats want them, and read from what a user typed: no
// locale, no stream, no allocation beyond the string's own.

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace vetra {

template <typename Int>
void AppendInt(std::string& out, Int value) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  out.append(buffer, end);
}

// value with `decimals` digits after the point, as printf's "%.*f" prints it. False, with nothing
// appended, for a value too large to print that way here (only garbage reaches that).
inline bool TryAppendFixed(std::string& out, double value, int decimals) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc{}) return false;
  out.append(buffer, result.ptr);
  return true;
}

// A finite decimal number as a user types it on a command line ("12.5", " +3", "-1e3"), blanks
// around it allowed; nullopt for anything else.
inline std::optional<double> ReadTypedNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace vetra
