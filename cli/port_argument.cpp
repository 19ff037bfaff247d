#include "cli/port_argument.h"

#include <filesystem>

#include "app/port_names.h"
#include "app/settings.h"
#include "app/system_paths.h"

namespace vetra::cli {

std::string DevicePathForArgument(const std::string& argument) {
  if (IsDevicePath(argument)) return argument;
  // The desktop program's settings file beside this program, or in the user's folder.
  const std::string self = ProgramPath();
  std::map<int, std::string> pinned;
  if (!self.empty()) {
    const std::filesystem::path viewer = PathFromUtf8(self).parent_path() / "vetra-viewer";
    pinned = ReadSettings(SettingsPathForProgram(Utf8FromPath(viewer))).pinnedPorts;
  }
  return ResolvePortArgument(argument, SystemPortMap(pinned));
}

}  // namespace vetra::cli
