#include "app/port_names.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

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

// Devices root/<prefix><number>, in number order.
std::vector<std::string> NumberedDevices(const std::string& root, const std::string& prefix) {
  std::vector<std::pair<long, std::string>> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(root, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        digits.size() > 6) {
      continue;
    }
    found.emplace_back(std::stol(digits), entry.path().string());
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  for (auto& f : found) paths.push_back(std::move(f.second));
  return paths;
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

bool DeviceAnswers(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;  // a ttyS without a UART behind it fails here (EIO)
  termios t{};
  const bool answers = ::tcgetattr(fd, &t) == 0;
  ::close(fd);
  return answers;
}

std::vector<std::string> ScanSerialDevices(const std::string& root, const DeviceProbe& answers) {
  const DeviceProbe probe = answers ? answers : DeviceProbe(DeviceAnswers);
  std::vector<std::string> found;
  std::vector<std::string> keys;  // one entry per device, however many names it has
  auto add = [&](const std::string& path) {
    const std::string key = SameFileKey(path);
    if (std::find(keys.begin(), keys.end(), key) != keys.end()) return;
    keys.push_back(key);
    found.push_back(path);
  };

  std::vector<std::string> byId;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(fs::path(root) / "serial" / "by-id", error)) {
    byId.push_back(entry.path().string());
  }
  std::sort(byId.begin(), byId.end());
  for (const auto& path : byId) add(path);
  // USB and ACM devices exist only while their hardware is attached. The ttyS names exist
  // whether or not a UART is behind them, so only those that answer are taken; opening the others
  // is left alone, since opening can reset some USB devices.
  for (const auto& path : NumberedDevices(root, "ttyUSB")) add(path);
  for (const auto& path : NumberedDevices(root, "ttyACM")) add(path);
  for (const auto& path : NumberedDevices(root, "ttyS")) {
    if (probe(path)) add(path);
  }
  if (found.size() > static_cast<size_t>(kPortCount)) found.resize(kPortCount);
  return found;
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
  if (index >= 0 && index < kPortCount) paths_[index] = path;
}

std::vector<std::string> PortMap::DevicePaths() const {
  return std::vector<std::string>(paths_.begin(), paths_.end());
}

std::string ResolvePortArgument(std::string_view argument, const PortMap& map) {
  if (IsDevicePath(argument)) return std::string(argument);
  const std::optional<int> index = MatchPortName(argument);
  return index ? map.DevicePath(*index) : std::string();
}

}  // namespace vetra
