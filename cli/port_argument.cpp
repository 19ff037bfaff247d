#include "cli/port_argument.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "app/port_names.h"
#include "app/settings.h"
#include "app/system_paths.h"

namespace vetra::cli {
namespace {

#ifdef _WIN32
bool SameNameAnyCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) ==
           std::toupper(static_cast<unsigned char>(y));
  });
}

// A port of the system's list named otherwise than COMn (CNCA0 or \\.\CNCA0); empty when none.
std::string ListedDevice(const std::string& argument) {
  for (const SerialDevice& device : FindSerialDevices()) {
    if (SameNameAnyCase(device.path, argument) ||
        SameNameAnyCase(device.path, "\\\\.\\" + argument)) {
      return device.path;
    }
  }
  return {};
}
#endif

}  // namespace

std::string DevicePathForArgument(const std::string& argument) {
  if (IsDevicePath(argument)) return argument;
  // The desktop program's settings file beside this program, or in the user's folder.
  const std::string self = ProgramPath();
  std::map<int, std::string> pinned;
  if (!self.empty()) {
    const std::filesystem::path viewer = PathFromUtf8(self).parent_path() / "vetra-viewer";
    std::string notice;
    pinned = ReadSettings(SettingsPathForProgram(Utf8FromPath(viewer), &notice)).pinnedPorts;
    if (!notice.empty()) std::fprintf(stderr, "vetra: %s\n", notice.c_str());
  }
  const std::string path = ResolvePortArgument(argument, SystemPortMap(pinned));
#ifdef _WIN32
  if (path.empty()) return ListedDevice(argument);
#endif
  return path;
}

}  // namespace vetra::cli
