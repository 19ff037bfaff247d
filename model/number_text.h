#pragma once
// Numbers appended to text as the output formats want them: no locale, no stream, no allocation
// beyond the string's own.

#include <charconv>
#include <string>
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

}  // namespace vetra
