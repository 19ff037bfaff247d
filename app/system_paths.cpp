#include "app/system_paths.h"

#include "util/open_file.h"

namespace vetra {

std::filesystem::path PathFromUtf8(const std::string& path) { return Utf8Path(path); }

std::string XdgConfigFolder(const char* xdgConfigHome, const char* home) {
  if (xdgConfigHome != nullptr && *xdgConfigHome == '/') return xdgConfigHome;
  if (home != nullptr && *home != '\0') return Utf8FromPath(PathFromUtf8(home) / ".config");
  return {};
}

std::string Utf8FromPath(const std::filesystem::path& path) { return Utf8Text(path); }

}  // namespace vetra
