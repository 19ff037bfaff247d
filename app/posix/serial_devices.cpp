#include "app/posix/serial_devices.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vetra {
namespace {

namespace fs = std::filesystem;

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
    std::error_code ignored;
    const fs::path resolved = fs::weakly_canonical(path, ignored);
    const std::string key = ignored ? path : resolved.string();
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

std::string SysfsDescription(const std::string& devicePath, const std::string& sysRoot) {
  std::error_code error;
  const fs::path device = fs::canonical(devicePath, error);
  if (error) return {};
  const fs::path root = fs::canonical(sysRoot, error);
  if (error) return {};
  fs::path at = fs::canonical(root / "class" / "tty" / device.filename() / "device", error);
  if (error) return {};
  // Up from the tty's device (a USB interface, or a port below it) to the USB device itself.
  for (; at != root && at.has_relative_path() && at != at.parent_path(); at = at.parent_path()) {
    std::ifstream product(at / "product");
    std::string text;
    if (product && std::getline(product, text)) {
      while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.pop_back();
      if (!text.empty()) return text;
    }
  }
  return {};
}

std::vector<SerialDevice> FindSerialDevicesUnder(const std::string& devRoot,
                                                 const std::string& sysRoot) {
  const auto answers = [&sysRoot](const std::string& path) {
    std::ifstream type(fs::path(sysRoot) / "class" / "tty" / fs::path(path).filename() / "type");
    int portType = 0;
    if (type >> portType) return portType != 0;  // 0: no UART behind the name
    return DeviceAnswers(path);
  };
  std::vector<SerialDevice> devices;
  for (auto& path : ScanSerialDevices(devRoot, answers)) {
    std::string description = SysfsDescription(path, sysRoot);
    devices.push_back({std::move(path), std::move(description)});
  }
  return devices;
}

std::vector<SerialDevice> FindSerialDevices() { return FindSerialDevicesUnder("/dev", "/sys"); }

PortMap SystemPortMap(const std::map<int, std::string>& pinned) {
  return PortMap::WithDescriptions(FindSerialDevices(), pinned);
}

}  // namespace vetra
