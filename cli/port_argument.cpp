#include "cli/port_argument.h"

#include <filesystem>
#include <system_error>

#include "app/port_names.h"
#include "app/settings.h"

namespace vetra::cli {

std::string DevicePathForArgument(const std::string& argument) {
  if (IsDevicePath(argument)) return argument;
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  std::map<int, std::string> pinned;
  if (!error) {
    pinned = ReadSettings(SettingsPathForProgram((self.parent_path() / "vetra-viewer").string()))
                 .pinnedPorts;
  }
  return ResolvePortArgument(argument, PortMap(ScanSerialDevices(), pinned));
}

}  // namespace vetra::cli
