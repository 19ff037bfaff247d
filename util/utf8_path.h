#pragma once
// File names travel through the program as UTF-8 text (the settings file, the command line, the
// window's file dialogs). These make a std::filesystem::path of one, and back, so that a Windows
// path outside the system's code page opens through the wide calls; on POSIX they change nothing.

#include <filesystem>
#include <string>
#include <string_view>

namespace vetra {

inline std::filesystem::path Utf8Path(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8Text(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace vetra
