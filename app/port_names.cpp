#include "app/port_names.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace vetra {
namespace {

namespace fs = std::filesystem;

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// The file a path stands for, symbolic links followed; the path itself when it cannot be resolved.
std::string SameFileKey(const std::string& path) {
  std::error_code error;
  const fs::path resolved = fs::weakly_canonical(path, error);
  return error ? path : resolved.string();
}

}  // namespace

std::string PortName(int index) { return "COM" + std::to_string(index + 1); }

std::string DeviceName(int index) {
  return index < 9 ? PortName(index) : "\\\\.\\" + PortName(index);
}

std::optional<int> MatchDeviceName(std::string_view name) {
  for (int i = 0; i < kPortCount; ++i) {
    if (name == DeviceName(i)) return i;
  }
  return std::nullopt;
}

std::optional<int> MatchPortName(std::string_view name) {
  const std::string upper = Upper(name);
  for (int i = 0; i < kPortCount; ++i) {
    if (upper == PortName(i) || upper == DeviceName(i)) return i;
  }
  return std::nullopt;
}

bool IsDevicePath(std::string_view text) { return text.find('/') != std::string_view::npos; }

std::string ShownDevicePath(const std::string& path) {
  if (!IsDevicePath(path)) return path;
  std::error_code error;
  const fs::path resolved = fs::canonical(path, error);
  return error ? path : resolved.string();
}

PortMap::PortMap(const std::vector<std::string>& scanned,
                 const std::map<int, std::string>& pinned) {
  std::vector<std::string> pinnedKeys;
  for (const auto& [index, path] : pinned) {
    if (index < 0 || index >= kPortCount || path.empty()) continue;
    paths_[index] = path;
    pinnedKeys.push_back(SameFileKey(path));
  }
  int next = 0;
  for (const auto& path : scanned) {
    if (std::find(pinnedKeys.begin(), pinnedKeys.end(), SameFileKey(path)) != pinnedKeys.end()) {
      continue;  // already under its pinned name
    }
    while (next < kPortCount && !paths_[next].empty()) ++next;
    if (next == kPortCount) break;
    paths_[next++] = path;
  }
  std::vector<SerialDevice> devices;
  for (const auto& path : scanned) devices.push_back({path, {}});
  MarkPresence(devices);
}

void PortMap::MarkPresence(const std::vector<SerialDevice>& present) {
  for (int i = 0; i < kPortCount; ++i) {
    // A name pinned to something outside the system's list (a pseudo-terminal, a device the scan
    // does not know) is there when its file is.
    std::error_code error;
    present_[i] = !paths_[i].empty() && IsDevicePath(paths_[i]) && fs::exists(paths_[i], error);
  }
  for (const auto& device : present) {
    if (const auto index = IndexOf(device.path)) present_[*index] = true;
  }
}

bool PortMap::Refresh(const std::vector<SerialDevice>& present) {
  const std::vector<std::string> before = Labels();
  const auto wasPresent = present_;
  for (const auto& device : present) {
    std::optional<int> index = IndexOf(device.path);
    if (!index) {
      const auto free = std::find(paths_.begin(), paths_.end(), std::string());
      if (free == paths_.end()) continue;
      index = static_cast<int>(free - paths_.begin());
      paths_[*index] = device.path;
    }
    if (!device.description.empty()) descriptions_[*index] = device.description;
  }
  MarkPresence(present);
  return Labels() != before || present_ != wasPresent;
}

bool PortMap::Present(int index) const {
  return index >= 0 && index < kPortCount && present_[index];
}

PortMap PortMap::WithDescriptions(const std::vector<SerialDevice>& scanned,
                                  const std::map<int, std::string>& pinned) {
  std::vector<std::string> paths;
  for (const auto& device : scanned) paths.push_back(device.path);
  PortMap map(paths, pinned);
  for (const auto& device : scanned) {
    if (const auto index = map.IndexOf(device.path)) map.descriptions_[*index] = device.description;
  }
  map.MarkPresence(scanned);
  return map;
}

std::string PortMap::DevicePath(int index) const {
  return index >= 0 && index < kPortCount ? paths_[index] : std::string();
}

std::optional<int> PortMap::IndexOf(const std::string& path) const {
  const std::string key = SameFileKey(path);
  for (int i = 0; i < kPortCount; ++i) {
    if (!paths_[i].empty() && (paths_[i] == path || SameFileKey(paths_[i]) == key)) return i;
  }
  return std::nullopt;
}

void PortMap::Pin(int index, const std::string& path) {
  if (index < 0 || index >= kPortCount) return;
  paths_[index] = path;
  descriptions_[index].clear();
  std::error_code error;
  present_[index] = fs::exists(path, error);
}

std::vector<std::string> PortMap::DevicePaths() const {
  return std::vector<std::string>(paths_.begin(), paths_.end());
}

std::vector<std::string> PortMap::Labels() const {
  std::vector<std::string> labels(kPortCount);
  for (int i = 0; i < kPortCount; ++i) {
    if (paths_[i].empty()) continue;
    // Every Windows name has its own device (\\.\COMn): only what the system tells of a present
    // one is added, the list greys the others.
    const bool ownWindowsDevice = Upper(paths_[i]) == "\\\\.\\" + PortName(i);
    if (ownWindowsDevice) {
      if (present_[i]) labels[i] = descriptions_[i];
      continue;
    }
    std::string notes = descriptions_[i];
    if (!present_[i]) notes += notes.empty() ? "absent" : ", absent";
    labels[i] = ShownDevicePath(paths_[i]) + (notes.empty() ? "" : " (" + notes + ")");
  }
  return labels;
}

std::string ResolvePortArgument(std::string_view argument, const PortMap& map) {
  if (IsDevicePath(argument)) return std::string(argument);
  const std::optional<int> index = MatchPortName(argument);
  return index ? map.DevicePath(*index) : std::string();
}

}  // namespace vetra
