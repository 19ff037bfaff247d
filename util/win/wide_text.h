#pragma once
// Text between the program's UTF-8 strings and the wide strings of the Win32 calls.

#include <string>
#include <string_view>

namespace vetra {

// Invalid sequences become U+FFFD, as the system converts them.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace vetra
