#include "app/settings.h"

// The build chooses SimpleIni's text conversion: ICU on Linux, Win32 on Windows.
#include <SimpleIni.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/port_names.h"
#include "app/system_paths.h"

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

// The file is read and written here rather than by SimpleIni, whose file names are narrow: a
// Windows path that is not in the system's code page opens only through the wide calls.
bool Load(IniFile& ini, const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) return false;
  const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return !in.bad() && ini.LoadData(data) >= 0;
}

bool Save(const IniFile& ini, const fs::path& path) {
  std::string data;
  if (ini.Save(data, false) < 0) return false;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  out.close();
  return !out.fail();
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
  if (!Load(ini, path)) return settings;

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
  const fs::path file = PathFromUtf8(path);
  if (fs::exists(file, error)) {
    if (!Load(ini, path)) return false;  // never overwrite a file we cannot read
  } else {
    const fs::path folder = file.parent_path();
    if (!folder.empty()) fs::create_directories(folder, error);
  }
  ini.SetLongValue(kSetup, "Port", portIndex);
  ini.SetValue(kSetup, "FWPath", fwPath.c_str());
  ini.SetValue(kSetup, "WorkPath", workPath.c_str());
  // Into a neighbour first, then renamed over the file, so a failed write never leaves half a
  // file behind.
  fs::path temporary = file;
  temporary += ".new";
  if (!Save(ini, temporary)) {
    fs::remove(temporary, error);
    return false;
  }
  fs::rename(temporary, file, error);
  if (error) {
    fs::remove(temporary, error);
    return false;
  }
  return true;
}

std::string SettingsPath(const std::string& programPath, bool programFolderWritable,
                         const std::string& userConfigFolder) {
  const fs::path program = PathFromUtf8(programPath);
  const fs::path fileName = program.stem().u8string() + u8".INI";
  if (programFolderWritable) return Utf8FromPath(program.parent_path() / fileName);
  const fs::path config =
      userConfigFolder.empty() ? fs::temp_directory_path() : PathFromUtf8(userConfigFolder);
  return Utf8FromPath(config / "vetra-viewer" / fileName);
}

std::string SettingsPathForProgram(const std::string& programPath) {
  std::error_code error;
  fs::path program = fs::absolute(PathFromUtf8(programPath), error);
  if (error) program = PathFromUtf8(programPath);
  const fs::path folder = program.parent_path();
  bool writable = FolderWritable(Utf8FromPath(folder));
#ifdef VETRA_INSTALL_BINDIR
  // Installed where the build meant it to go (/usr/bin for the package): the system's folder is no
  // place for a user's file, even when root may write there, and the package does not own it.
  if (std::error_code same; fs::equivalent(folder, VETRA_INSTALL_BINDIR, same)) writable = false;
#endif
  return SettingsPath(Utf8FromPath(program), writable, UserConfigFolder());
}

}  // namespace vetra
