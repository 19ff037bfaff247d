#include "app/settings.h"

// The build chooses SimpleIni's text conversion: ICU on Linux, Win32 on Windows.
#include <SimpleIni.h>

#include <charconv>
#include <filesystem>
#include <system_error>

#include "app/port_names.h"
#include "app/system_paths.h"
#include "util/bounded_input.h"
#include "util/whole_file.h"

namespace vetra {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSetup = "Setup";
constexpr const char* kPorts = "Ports";
constexpr const char* kDesk = "Desk";
constexpr const char* kWindowKey = "Window.";

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

constexpr InputLimit kSettingsLimit{kSettingsMaxBytes, "a settings file"};

// Text that SimpleIni takes for settings: no NUL byte (a binary file would load as a few stray
// keys) and a load it accepts.
bool Parse(IniFile& ini, const std::string& data) {
  return data.find('\0') == std::string::npos && ini.LoadData(data) >= 0;
}

enum class LoadOutcome { Loaded, Missing, Damaged, Unusable };

// The file is read and written here rather than by SimpleIni, whose file names are narrow: a
// Windows path that is not in the system's code page opens only through the wide calls. A file
// that is no regular file (a directory, /dev/zero) is unusable; one too large or that does not
// parse is damaged.
LoadOutcome Load(IniFile& ini, const std::string& path, std::string& problem) {
  std::error_code error;
  const fs::file_status status = fs::status(PathFromUtf8(path), error);
  if (status.type() == fs::file_type::not_found) return LoadOutcome::Missing;
  const std::optional<std::string> data = ReadBoundedFile(path, kSettingsLimit, problem);
  if (!data) {
    if (!fs::is_regular_file(status) ||
        fs::file_size(PathFromUtf8(path), error) <= kSettingsMaxBytes) {
      return LoadOutcome::Unusable;
    }
    problem = "it is larger than 1 MiB";
    return LoadOutcome::Damaged;
  }
  if (Parse(ini, *data)) return LoadOutcome::Loaded;
  problem = "it cannot be read as settings";
  ini.Reset();
  return LoadOutcome::Damaged;
}

bool WithoutWriteBits(const fs::path& file) {
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (error || !fs::exists(status)) return false;
  constexpr fs::perms kWrite =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return (status.permissions() & kWrite) == fs::perms::none;
}

// "x,y,width,height"
WindowPlace ParsePlace(const std::string& text) {
  WindowPlace place;
  int values[4] = {};
  size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t comma = i < 3 ? text.find(',', at) : text.size();
    if (comma == std::string::npos) return {};
    values[i] = ParseSettingsInteger(text.substr(at, comma - at), -1);
    at = comma + 1;
  }
  place = {values[0], values[1], values[2], values[3]};
  return place.width > 0 && place.height > 0 ? place : WindowPlace{};
}

Remembered ReadRemembered(const IniFile& ini) {
  Remembered r;
  auto text = [&](const char* key) { return std::string(ini.GetValue(kDesk, key, "")); };
  r.baudRate = ParseSettingsInteger(text("BaudRate"), 0);
  r.chip = text("Chip");
  r.coordinateFormat = ParseSettingsInteger(text("CoordinateFormat"), -1);
  r.page = text("Page");
  r.ttffMode = ParseSettingsInteger(text("TtffMode"), -1);
  r.ttffCycles = ParseSettingsInteger(text("TtffCycles"), 0);
  r.imageFolder = text("ImageFolder");
  r.captureFolder = text("CaptureFolder");
  IniFile::TNamesDepend keys;
  ini.GetAllKeys(kDesk, keys);
  const std::string prefix = kWindowKey;
  for (const auto& key : keys) {
    const std::string name = key.pItem;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const WindowPlace place = ParsePlace(ini.GetValue(kDesk, key.pItem, ""));
    if (place.valid()) r.windows[name.substr(prefix.size())] = place;
  }
  return r;
}

void WriteRemembered(IniFile& ini, const Remembered& r) {
  auto set = [&](const char* key, const std::string& value) {
    if (value.empty()) {
      ini.Delete(kDesk, key);
    } else {
      ini.SetValue(kDesk, key, value.c_str());
    }
  };
  set("BaudRate", r.baudRate > 0 ? std::to_string(r.baudRate) : "");
  set("Chip", r.chip);
  set("CoordinateFormat", r.coordinateFormat >= 0 ? std::to_string(r.coordinateFormat) : "");
  set("Page", r.page);
  set("TtffMode", r.ttffMode >= 0 ? std::to_string(r.ttffMode) : "");
  set("TtffCycles", r.ttffCycles > 0 ? std::to_string(r.ttffCycles) : "");
  set("ImageFolder", r.imageFolder);
  set("CaptureFolder", r.captureFolder);
  for (const auto& [layout, p] : r.windows) {
    if (!p.valid()) continue;
    set((kWindowKey + layout).c_str(), std::to_string(p.x) + "," + std::to_string(p.y) + "," +
                                           std::to_string(p.width) + "," +
                                           std::to_string(p.height));
  }
  for (const auto& [index, device] : r.typedPorts) {
    if (index < 0 || index >= kPortCount || device.empty()) continue;
    const std::string name = "COM" + std::to_string(index + 1);
    // One pin per name: a key written by hand in another letter case gives way.
    ini.Delete(kPorts, name.c_str());
    ini.SetValue(kPorts, name.c_str(), device.c_str());
  }
}

SaveResult Failed(const std::string& reason) { return {SaveOutcome::Failed, reason, {}}; }

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
  std::string problem;
  switch (Load(ini, path, problem)) {
    case LoadOutcome::Missing:
      return settings;
    case LoadOutcome::Damaged:
      settings.damaged = true;
      settings.problem = DamagedSettingsText(path, problem);
      return settings;
    case LoadOutcome::Unusable:
      settings.unusable = true;
      settings.problem = UnusableSettingsText(problem);
      return settings;
    case LoadOutcome::Loaded:
      break;
  }

  settings.host = Text(ini, "Host", "OFF");
  settings.portId = ParseSettingsInteger(Text(ini, "Portid", Text(ini, "Port", "0").c_str()), 0);
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
  settings.remembered = ReadRemembered(ini);
  settings.readOnly = WithoutWriteBits(PathFromUtf8(path));
  return settings;
}

SaveResult WriteBackSettings(const std::string& path, int portIndex, const std::string& fwPath,
                             const std::string& workPath, const Remembered* remembered) {
  IniFile ini;
  Prepare(ini);
  std::error_code error;
  // Judged on the file a link points to: the whole-file writer writes the link's target.
  const fs::path file = PathFromUtf8(path);
  if (WithoutWriteBits(file)) return {SaveOutcome::ReadOnly, {}, {}};
  std::string problem;
  SaveResult result;
  switch (Load(ini, path, problem)) {
    case LoadOutcome::Unusable:
      return Failed(problem);  // a directory, a device: never written
    case LoadOutcome::Damaged: {
      // Kept for the user to look at; a new file takes its place.
      const std::string kept = DamagedSettingsCopy(path);
      fs::rename(fs::canonical(file, error), PathFromUtf8(kept), error);
      if (error) return Failed("it cannot be kept as " + kept + ": " + error.message());
      result.keptAs = kept;
      Prepare(ini);
      break;
    }
    case LoadOutcome::Missing: {
      const fs::path folder = file.parent_path();
      if (!folder.empty()) fs::create_directories(folder, error);
      break;
    }
    case LoadOutcome::Loaded:
      break;
  }
  ini.SetLongValue(kSetup, "Port", portIndex);
  ini.SetValue(kSetup, "FWPath", fwPath.c_str());
  ini.SetValue(kSetup, "WorkPath", workPath.c_str());
  if (remembered != nullptr) WriteRemembered(ini, *remembered);
  std::string data;
  if (ini.Save(data, false) < 0) return Failed("it could not be written");
  std::string reason;
  if (!WriteFileWhole(path, data, &reason)) return Failed(reason);
  return result;
}

std::string DamagedSettingsCopy(const std::string& path) { return path + ".bad"; }

std::string DamagedSettingsText(const std::string& path, const std::string& problem) {
  return "The settings file " + path + " is damaged (" + problem + "): it is kept as " +
         DamagedSettingsCopy(path) + " and a new one is written at the end of this run.";
}

std::string UnusableSettingsText(const std::string& problem) {
  return "Settings: " + problem + ". The defaults are used and nothing is saved.";
}

std::string ReadOnlySettingsText(const std::string& path) {
  return "The settings file " + path + " is read-only: what you choose in this run is not saved.";
}

std::string FailedSaveText(const std::string& path, const std::string& reason) {
  return "Saving the settings to " + path + " failed: " + reason;
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

std::string AdoptSettingsFile(const std::string& besideProgram, const std::string& userFile) {
  const fs::path from = PathFromUtf8(besideProgram);
  const fs::path to = PathFromUtf8(userFile);
  std::error_code error;
  if (!fs::is_regular_file(from, error) || fs::exists(to, error)) return {};
  fs::create_directories(to.parent_path(), error);
  if (!fs::copy_file(from, to, fs::copy_options::none, error) || error) return {};
  return "The settings file " + besideProgram + " was copied to " + userFile +
         ", where the settings are kept from now on (a file named " + kPortableMarker +
         " beside the program keeps them beside it instead).";
}

std::string SettingsPathForProgram(const std::string& programPath, std::string* notice) {
  std::error_code error;
  fs::path program = fs::absolute(PathFromUtf8(programPath), error);
  if (error) program = PathFromUtf8(programPath);
  const fs::path folder = program.parent_path();
  bool writable = FolderWritable(Utf8FromPath(folder));
#ifdef _WIN32
  // Beside the program only when it is meant to be portable: a folder that an elevated run may
  // write and a normal one may not would otherwise give the two runs different files.
  if (!fs::exists(folder / kPortableMarker, error)) {
    const std::string user = SettingsPath(Utf8FromPath(program), false, UserConfigFolder());
    const std::string beside = SettingsPath(Utf8FromPath(program), true, UserConfigFolder());
    const std::string copied = AdoptSettingsFile(beside, user);
    if (notice != nullptr) *notice = copied;
    return user;
  }
#endif
  (void)notice;
#ifdef VETRA_INSTALL_BINDIR
  // Installed where the build meant it to go (/usr/bin for the package): the system's folder is no
  // place for a user's file, even when root may write there, and the package does not own it.
  if (std::error_code same; fs::equivalent(folder, VETRA_INSTALL_BINDIR, same)) writable = false;
#endif
  return SettingsPath(Utf8FromPath(program), writable, UserConfigFolder());
}

}  // namespace vetra
