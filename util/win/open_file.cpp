// _wfopen: the C runtime's open of a wide path, which reaches every file name the system has.
#include "util/open_file.h"

#include <stdio.h>

namespace vetra {

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
  const std::string narrow(mode);
  const std::wstring wideMode(narrow.begin(), narrow.end());  // fopen's modes are ASCII
  return ::_wfopen(path.c_str(), wideMode.c_str());
}

}  // namespace vetra
