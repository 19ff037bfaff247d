#include "app/settings.h"

#define SI_CONVERT_ICU
#include <SimpleIni.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/port_names.h"

namespace vetra {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSetup = "Setup";
constexpr const char* kPorts = "Ports";

// CSimpleIniA compares section and key names without regard to case (CSimpleIniCaseA would
// not); values come back as written.
using IniFile = CSimpleIniA;

void Prepare(IniFile& ini) {
  ini.SetUnicode(true);
  ini.SetMultiKey(false);
  ini.SetMultiLine(false);
  ini.SetSpaces(false);  // "Key=value", as Windows writes it
  ini.SetQuotes(true);   // a value in double quotes reads without them, as in a Windows profile
}

std::string Text(const IniFile& ini, const char* key, const char* fallback) {
  return ini.GetValue(kSetup, key, fallback);
}

}  // namespace

int ParseSettingsInteger(const std::string& text, int fallback) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;  // from_chars takes '-' only
  if (first == last) return fallback;
  int value = 0;
  const auto [end, error] = std::from_chars(first, last, value, 10);
  if (error != std::errc() || end != last) return fallback;
  return value;
}

Settings ReadSettings(const std::string& path) {
  Settings settings;
  IniFile ini;
  Prepare(ini);
  if (ini.LoadFile(path.c_str()) < 0) return settings;

  settings.host = Text(ini, "Host", "OFF");
  settings.portId = ParseSettingsInteger(Text(ini, "Portid", "0"), 0);
  if (settings.portId < 0 || settings.portId >= kPortCount) settings.portId = 0;
  settings.fwPath = Text(ini, "FWPath", ".");
  settings.workPath = Text(ini, "WorkPath", ".");
  settings.engineer = Text(ini, "Engineer", "");
  settings.trace = Text(ini, "Trace", "OFF");

  IniFile::TNamesDepend keys;
  ini.GetAllKeys(kPorts, keys);
  for (const auto& key : keys) {
    const auto index = MatchPortName(key.pItem);
    const std::string device = ini.GetValue(kPorts, key.pItem, "");
    if (index && !device.empty()) settings.pinnedPorts[*index] = device;
  }
  return settings;
}

bool WriteBackSettings(const std::string& path, int portIndex, const std::string& fwPath,
                       const std::string& workPath) {
  IniFile ini;
  Prepare(ini);
  std::error_code error;
  if (fs::exists(path, error)) {
    if (ini.LoadFile(path.c_str()) < 0) return false;  // never overwrite a file we cannot read
  } else {
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty()) fs::create_directories(folder, error);
  }
  ini.SetLongValue(kSetup, "Port", portIndex);
  ini.SetValue(kSetup, "FWPath", fwPath.c_str());
  ini.SetValue(kSetup, "WorkPath", workPath.c_str());
  // Into a neighbour first, then renamed over the file, so a failed write never leaves half a
  // file behind.
  const std::string temporary = path + ".new";
  if (ini.SaveFile(temporary.c_str(), false) < 0) {
    fs::remove(temporary, error);
    return false;
  }
  fs::rename(temporary, path, error);
  if (error) {
    fs::remove(temporary, error);
    return false;
  }
  return true;
}

std::string SettingsPath(const std::string& programPath, bool programFolderWritable,
                         const char* xdgConfigHome, const char* home) {
  const fs::path program(programPath);
  const std::string fileName = program.stem().string() + ".INI";
  if (programFolderWritable) return (program.parent_path() / fileName).string();
  fs::path config;
  if (xdgConfigHome != nullptr && *xdgConfigHome == '/') {
    config = xdgConfigHome;
  } else if (home != nullptr && *home != '\0') {
    config = fs::path(home) / ".config";
  } else {
    config = fs::temp_directory_path();
  }
  return (config / "vetra-viewer" / fileName).string();
}

std::string SettingsPathForProgram(const std::string& programPath) {
  std::error_code error;
  fs::path program = fs::absolute(programPath, error);
  if (error) program = programPath;
  const fs::path folder = program.parent_path();
  bool writable = ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
#ifdef VETRA_INSTALL_BINDIR
  // Installed where the build meant it to go (/usr/bin for the package): the system's folder is no
  // place for a user's file, even when root may write there, and the package does not own it.
  if (std::error_code same; fs::equivalent(folder, VETRA_INSTALL_BINDIR, same)) writable = false;
#endif
  return SettingsPath(program.string(), writable, std::getenv("XDG_CONFIG_HOME"),
                      std::getenv("HOME"));
}

}  // namespace vetra
