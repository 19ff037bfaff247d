#pragma once
// Files named by the program's paths, which are UTF-8 strings everywhere. On Windows a narrow
// path given to fopen, an fstream or std::filesystem::path is read in the system's code page (or,
// by the old C runtime, byte by byte), so that a name outside it (тест.log) names another file;
// these helpers go through the wide calls there. On POSIX systems a path is bytes, as given.
//
// The platform layer: util/posix/open_file.cpp, util/win/open_file.cpp.

#include <cstdio>
#include <filesystem>
#include <string>

#include "util/utf8_path.h"  // Utf8Path, Utf8Text

namespace vetra {

// fopen of a UTF-8 path (mode as fopen takes it: "rb", "wb", "ab" ...); nullptr with errno set
// when it does not open.
std::FILE* OpenFile(const std::string& path, const char* mode);
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

}  // namespace vetra
