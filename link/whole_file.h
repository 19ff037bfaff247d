#pragma once
// A text file written whole or not at all: beside the target first, then renamed over it, so that
// a full disk or a failed write leaves the earlier file as it was and no half file behind.

#include <string>
#include <string_view>

namespace vetra {

// False when the text could not be written or put in place (the target is then unchanged).
bool WriteFileWhole(const std::string& path, std::string_view text);

}  // namespace vetra
