#include "link/open_file.h"

namespace vetra {

std::filesystem::path FilePathFromUtf8(std::string_view path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string Utf8FromFilePath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return OpenFile(FilePathFromUtf8(path), mode);
}

}  // namespace vetra
