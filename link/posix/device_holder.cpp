#include "link/device_holder.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

namespace vetra {
namespace {

namespace fs = std::filesystem;

std::optional<long> ProcessId(const std::string& name) {
  long pid = 0;
  const char* end = name.data() + name.size();
  const auto [at, error] = std::from_chars(name.data(), end, pid);
  if (error != std::errc() || at != end || name.empty()) return std::nullopt;
  return pid;
}

bool HoldsOpen(const fs::path& process, const fs::path& device) {
  std::error_code error;
  for (fs::directory_iterator fd(process / "fd", error), end; !error && fd != end;
       fd.increment(error)) {
    std::error_code linkError;
    const fs::path target = fs::read_symlink(fd->path(), linkError);
    if (!linkError && target == device) return true;
  }
  return false;
}

}  // namespace

std::string DeviceHolder(const std::string& devicePath, const std::string& procRoot) {
  std::error_code error;
  const fs::path device = fs::canonical(devicePath, error);
  if (error) return {};
  std::optional<long> lowest;
  fs::path holder;
  for (fs::directory_iterator entry(procRoot, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::optional<long> pid = ProcessId(entry->path().filename().string());
    if (!pid || (lowest && *pid > *lowest) || !HoldsOpen(entry->path(), device)) continue;
    lowest = pid;
    holder = entry->path();
  }
  if (!lowest) return {};
  std::string name;
  std::ifstream comm(holder / "comm");
  std::getline(comm, name);  // the program's name, at most 15 characters
  if (name.empty()) name = "a program";
  return name + " (pid " + std::to_string(*lowest) + ")";
}

}  // namespace vetra
