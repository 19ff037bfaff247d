#include "app/system_paths.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <system_error>
#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

namespace vetra {

std::string ProgramPath() {
#ifdef __linux__
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.string();
#elif defined(__APPLE__)
  char path[4096];
  uint32_t size = sizeof path;
  return _NSGetExecutablePath(path, &size) == 0 ? std::string(path) : std::string();
#else
  return {};
#endif
}

bool FolderWritable(const std::string& folder) {
  return ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

std::string UserConfigFolder() {
  return XdgConfigFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

}  // namespace vetra
