#include "app/system_paths.h"

namespace vetra {

std::filesystem::path PathFromUtf8(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string XdgConfigFolder(const char* xdgConfigHome, const char* home) {
  if (xdgConfigHome != nullptr && *xdgConfigHome == '/') return xdgConfigHome;
  if (home != nullptr && *home != '\0') return Utf8FromPath(PathFromUtf8(home) / ".config");
  return {};
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace vetra
